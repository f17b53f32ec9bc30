#!/bin/sh
# Key to picture, as a player's eye sees it: on a 640 x 480 Xvfb of its own
# for each side, keys pressed with XTest at random moments and the screen
# read back through shared memory until the ball has moved. The probe's own
# delay (against a client that repaints at once), the Linux build on the
# surface path and on the automatic choice, and the Windows build under Wine,
# in rounds that alternate. Prints median, p90, p99 and max in ms and frames.
# Builds what it runs; needs what `scripts/setup.sh test` installs.
#
#   scripts/bench-latency.sh [PRESSES] [ROUNDS]     (default 300 presses a side, 5 rounds)
#   scripts/bench-latency.sh --desktop [PRESSES] [ROUNDS] [OTHER_EXE]
#
# --desktop: velmora-desktop.exe (our own DirectDraw) full screen under
# openbox with no virtual desktop instead, against the probe and the 60 Hz
# floor; OTHER_EXE, another build of it, in the same rounds.
set -eu
cd "$(dirname "$0")/.."
desktop=
if [ "${1:-}" = --desktop ]; then
    desktop=1
    shift
fi
cmake --preset linux >/dev/null
cmake --build --preset linux --target velmora latency_probe -j 2 >/dev/null
cmake --preset windows >/dev/null
if [ -n "$desktop" ]; then
    cmake --build --preset windows --target velmora_desktop -j 2 >/dev/null
    exec /usr/bin/python3 -B bench/feel.py desktop-latency build/linux/bench/latency_probe \
        build/windows/velmora-desktop.exe build/feel/bare-prefix build/feel/work \
        "${1:-300}" "${2:-5}" ${3:+"$3"}
fi
cmake --build --preset windows --target velmora -j 2 >/dev/null
exec /usr/bin/python3 -B bench/feel.py latency build/linux/bench/latency_probe build/linux/velmora \
    build/windows/velmora.exe build/feel/prefix build/feel/work "${1:-300}" "${2:-5}"
