#!/bin/sh
# Instructions per headless play frame, counted by callgrind: two scripted
# runs that differ only in how many frames the ball moves (Right held), so
# that start-up, loading and teardown cancel out.
#
#   scripts/measure-headless.sh [BUILD_DIR]     (default build/linux)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/linux}
command -v valgrind >/dev/null || { echo "valgrind is needed (scripts/setup.sh test)" >&2; exit 2; }
[ -x "$build/velmora" ] || { echo "no $build/velmora: build the linux preset first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

count() {  # frames -> instructions of the whole run
    printf '2 down SPACE\n3 up SPACE\n4 down RIGHT\n%d up RIGHT\n' "$1" >"$work/script.txt"
    VELMORA_VIDEO=headless VELMORA_SCRIPT="$work/script.txt" \
        valgrind --tool=callgrind --callgrind-out-file="$work/out" "$build/velmora" 2>&1 |
        sed -n 's/.*Collected : *\([0-9]*\).*/\1/p'
}

short=100
long=1100
a=$(count $short)
b=$(count $long)
echo "run of $short frames: $a instructions; run of $long frames: $b"
echo "per play frame: $(( (b - a) / (long - short) )) instructions"
