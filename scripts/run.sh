#!/bin/sh
# Sets up, builds and runs the game (full screen; VELMORA_WINDOWED=1 for a window).
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh run
cmake --preset linux >/dev/null
cmake --build --preset linux --target velmora
exec build/linux/velmora "$@"
