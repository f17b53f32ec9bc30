#!/bin/sh
# CPU per presented frame of the Linux build (full screen on an Xvfb of its
# own at 1024 x 768) against the Windows build on Wine (640 x 480 virtual
# desktop, GDI renderer), several rounds alternating, the ball moving in both.
# Prints each run, the medians and ranges of each side and the Linux/Wine
# ratio. Builds what it runs; needs what `scripts/setup.sh test` installs.
#
#   scripts/compare-wine.sh [ROUNDS]          (default 5)
#   scripts/compare-wine.sh ROUNDS desktop    the Windows build on our own
#       DirectDraw (velmora-desktop.exe) instead: full screen on an Xvfb of
#       the Linux build's size under openbox, no virtual desktop, the X
#       server's CPU counted on both sides
#
# VELMORA_PRESENT=surface|gpu|auto reaches the Linux build.
set -eu
cd "$(dirname "$0")/.."
rounds=${1:-5}
cmake --preset linux >/dev/null
cmake --build --preset linux --target velmora -j 2 >/dev/null
cmake --preset windows >/dev/null
if [ "${2:-}" = desktop ]; then
    cmake --build --preset windows --target velmora_desktop -j 2 >/dev/null
    exec /usr/bin/python3 -B bench/compare_wine.py build/linux/velmora \
        build/windows/velmora-desktop.exe build/compare-desktop/prefix build/compare-desktop/shots \
        "$rounds"
fi
cmake --build --preset windows --target velmora -j 2 >/dev/null
exec /usr/bin/python3 -B bench/compare_wine.py build/linux/velmora build/windows/velmora.exe \
    build/compare-wine/prefix build/compare-wine/shots "$rounds"
