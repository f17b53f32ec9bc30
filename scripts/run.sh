#!/bin/sh
# Sets up, builds and runs the game. Only what playing needs is installed and
# built (no tests); the build's output is shown only when it fails. Options
# go to the game: ./scripts/run.sh --window, ./scripts/run.sh --help.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh run
cmake --preset play >/dev/null
mkdir -p build/play
if ! cmake --build --preset play --target velmora >build/play/build.log 2>&1; then
    cat build/play/build.log >&2
    exit 1
fi
exec build/play/velmora "$@"
