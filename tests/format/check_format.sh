#!/bin/sh
# Lists every C++ file whose layout differs from .clang-format; fails if there is one.
clang_format=$1
status=0
for f in $(git ls-files '*.h' '*.cpp' '*.c' 2>/dev/null || find . -name '*.h' -o -name '*.cpp' -o -name '*.c'); do
    if ! "$clang_format" --dry-run -Werror "$f" >/dev/null 2>&1; then
        echo "not formatted: $f"
        status=1
    fi
done
exit $status
