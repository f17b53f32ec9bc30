#!/bin/sh
# Wall time of a scene change at 3840 x 2160 (bench/scene_change.cpp), on an
# Xvfb of its own, ROUNDS runs of 20 changes; given another build's
# scene_change, the two alternate, the order swapped every round.
#
#   scripts/bench-4k.sh [ROUNDS [OTHER_SCENE_CHANGE]]     (default 3)
set -eu
cd "$(dirname "$0")/.."
rounds=${1:-3}
cmake --preset linux >/dev/null
cmake --build --preset linux --target scene_change -j 2 >/dev/null
this=build/linux/bench/scene_change
other=${2:-}
run() {
    printf '%s: ' "$1"
    xvfb-run -a -s '-screen 0 3840x2160x24' "$2" 20 | tail -1
}
r=1
while [ "$r" -le "$rounds" ]; do
    if [ -n "$other" ] && [ $((r % 2)) -eq 1 ]; then run other "$other"; fi
    run this "$this"
    if [ -n "$other" ] && [ $((r % 2)) -eq 0 ]; then run other "$other"; fi
    r=$((r + 1))
done
