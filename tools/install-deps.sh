#!/bin/sh
# Installs the Debian packages the menu needs: `build` for building and running it on Linux,
# `test` for everything the tests need as well (the Windows cross-build, Wine, a virtual
# X server with a window manager). Run as root.
set -eu

# The Linux program is linked statically: the -dev packages give the archives (.a) of
# everything it carries. Its face is cut from fonts-liberation2 with fonttools' pyftsubset.
build="cmake g++ make pkg-config libx11-dev libxcb1-dev libxau-dev libxdmcp-dev libxext-dev
libxrender-dev libxrandr-dev libxfixes-dev libxcursor-dev libfreetype-dev libpng-dev zlib1g-dev
libbrotli-dev libjpeg62-turbo-dev fonts-liberation2 fonttools xvfb openbox x11-utils imagemagick
python3"
# debootstrap makes the Debian 11 root that the program is tried on (tests/other_machines).
test="$build libgtest-dev libgmock-dev libbenchmark-dev xdotool x11-xserver-utils x11-apps strace bc
g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools wine wine64 fonts-wine
fonts-liberation clang-format debootstrap"

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
