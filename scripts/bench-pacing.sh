#!/bin/sh
# Frame pacing as the X server gets it: over SECONDS of play with Right held,
# the time each frame's pixels reached the screen (read back through shared
# memory), for the Linux build and the Windows build under Wine, first on the
# machine as it is and then with one core kept busy by a plain busy loop.
# Prints the intervals' count, mean, p50, p99, max and how many exceed 25 ms.
# Builds what it runs; needs what `scripts/setup.sh test` installs.
#
#   scripts/bench-pacing.sh [SECONDS]        (default 60)
set -eu
cd "$(dirname "$0")/.."
cmake --preset linux >/dev/null
cmake --build --preset linux --target velmora latency_probe -j 2 >/dev/null
cmake --preset windows >/dev/null
cmake --build --preset windows --target velmora -j 2 >/dev/null
exec /usr/bin/python3 -B bench/feel.py pacing build/linux/bench/latency_probe build/linux/velmora \
    build/windows/velmora.exe build/feel/prefix build/feel/work "${1:-60}"
