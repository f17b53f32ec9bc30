#!/bin/sh
# CPU per play frame of the Linux build, the game's and the X server's (full
# screen on an Xvfb of its own at 1024 x 768, the ball moving), against the
# floor under it: a bare X11 client that sends only what a play frame
# changes. Several rounds alternating, with another build of the game when
# one is given; prints each run, medians, ranges and the total/floor ratio.
#
#   scripts/bench-floor.sh [ROUNDS [OTHER_VELMORA]]        (default 5)
#
# VELMORA_PRESENT=surface|gpu|auto reaches the game.
set -eu
cd "$(dirname "$0")/.."
rounds=${1:-5}
other=${2:+$(realpath "$2")}
cmake --preset linux >/dev/null
cmake --build --preset linux --target velmora floor_client -j 2 >/dev/null
PYTHONPATH="$PWD/tests/support" exec /usr/bin/python3 -B bench/floor.py build/linux/velmora \
    build/linux/bench/floor_client build/bench-floor "$rounds" ${other:+"$other"}
