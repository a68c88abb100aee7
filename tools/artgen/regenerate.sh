#!/bin/sh
# Rebuilds the art generator and rewrites resources/title.jpg and resources/mainicon.ico.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build/artgen"
cmake -S "$root/tools/artgen" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target velmorra-artgen -j2
"$build/velmorra-artgen" "$root/resources"
echo "wrote $root/resources/title.jpg and $root/resources/mainicon.ico"
