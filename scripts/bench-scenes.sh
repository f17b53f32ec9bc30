#!/bin/sh
# CPU per frame on the title and in play (full screen on an Xvfb of its own
# at 1024 x 768), for this build or, given another binary, both alternating.
#
#   scripts/bench-scenes.sh [ROUNDS [OTHER_BINARY]]     (default 5)
set -eu
cd "$(dirname "$0")/.."
rounds=${1:-5}
cmake --preset linux >/dev/null
cmake --build --preset linux --target velmora -j 2 >/dev/null
other=${2:+$(realpath "$2")}
PYTHONPATH="$PWD/tests/support" exec /usr/bin/python3 -B bench/scene_cpu.py \
    build/bench-scenes "$rounds" ${other:+"$other"} build/linux/velmora
