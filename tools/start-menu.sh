#!/bin/sh
# Installs what the build needs, builds the Linux program and starts the menu: on the
# user's display where there is one, else on a virtual X server with a screenshot.
set -eu
cd "$(dirname "$0")/.."

tools/install-deps.sh build

cmake --preset linux -DBUILD_TESTING=OFF
cmake --build --preset linux -j2 --target velmorra velmorra-snapshot
exec tools/run-linux.sh
