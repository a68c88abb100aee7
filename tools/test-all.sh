#!/bin/sh
# Installs what the tests need, builds the Linux program, the Windows program and the
# sanitizer build, and runs every test: unit tests, the core under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the end-to-end tests of both programs on a virtual X
# server (the Windows one under Wine).
set -eu
cd "$(dirname "$0")/.."

tools/install-deps.sh test

cmake --preset linux -DBUILD_TESTING=ON
cmake --build --preset linux -j2
cmake --preset windows
cmake --build --preset windows -j2
cmake --preset asan -DBUILD_TESTING=ON
cmake --build --preset asan -j2

ctest --preset asan
ctest --preset linux
