#!/bin/sh
# Installs the Debian packages the menu needs: `build` for building and running it on Linux,
# `test` for everything the tests need as well (the Windows cross-builds, x86-64 and 32-bit
# x86, Wine, a virtual X server with a window manager, xorriso for the disc image). Run as
# root. Never wine32: the machines' kernel runs no 32-bit process, and it breaks the wine
# command.
set -eu

# The Linux program is linked statically: the -dev packages give the archives (.a) of
# everything it carries. Its face is cut from fonts-liberation2 with fonttools' pyftsubset.
build="cmake g++ make pkg-config libx11-dev libxcb1-dev libxau-dev libxdmcp-dev libxext-dev
libxrender-dev libxrandr-dev libxfixes-dev libxcursor-dev libfreetype-dev libpng-dev zlib1g-dev
libbrotli-dev libjpeg62-turbo-dev fonts-liberation2 fonttools xvfb openbox x11-utils imagemagick
python3"
# debootstrap makes the Debian 11 root that the program is tried on (tests/other_machines).
test="$build libgtest-dev libgmock-dev libbenchmark-dev xdotool x11-xserver-utils x11-apps feh strace bc
g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
mingw-w64-tools wine wine64 fonts-wine
fonts-liberation clang-format xorriso debootstrap"

case "${1:-build}" in
    build) packages=$build ;;
    test) packages=$test ;;
    *) echo "usage: $0 [build|test]" >&2; exit 2 ;;
esac

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq $missing
fi
