#!/bin/sh
# Installs what the tests need, builds the Linux program, the two Windows programs (x86-64,
# and the 32-bit x86 one for the disc) and the sanitizer build, and runs every test: unit
# tests, the core under AddressSanitizer and UndefinedBehaviorSanitizer, the Windows program
# files, and the end-to-end tests of the Linux and the x86-64 Windows program on a virtual X
# server (the Windows one under Wine).
set -eu
cd "$(dirname "$0")/.."

tools/install-deps.sh test

cmake --preset linux -DBUILD_TESTING=ON
cmake --build --preset linux -j2
cmake --preset windows
cmake --build --preset windows -j2
cmake --preset windows32
cmake --build --preset windows32 -j2
cmake --preset asan -DBUILD_TESTING=ON
cmake --build --preset asan -j2

ctest --preset asan
ctest --preset linux
