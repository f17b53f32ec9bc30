#!/bin/sh
# Launch to first frame and peak resident memory in each present mode
# (surface, auto, gpu), full screen and in a window, ROUNDS rounds
# alternating; with another build, its auto and surface runs beside them.
#
#   scripts/bench-launch.sh [ROUNDS [OTHER_BINARY]]     (default 5)
set -eu
cd "$(dirname "$0")/.."
rounds=${1:-5}
cmake --preset linux >/dev/null
cmake --build --preset linux --target velmora -j 2 >/dev/null
bin=build/linux/velmora
set -- surface="$bin" auto="$bin" gpu="$bin" ${2:+"surface:other=$2" "auto:other=$2"}
PYTHONPATH="$PWD/tests/support" exec /usr/bin/python3 -B bench/launch.py build/bench-launch \
    "$rounds" "$@"
