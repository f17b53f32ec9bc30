#!/bin/sh
# Makes the README's moving picture, dist/screenshots/play.gif, from the
# committed recording beside it (the title, Space, the ball steered round and
# across the bottom edge): the game replays it headless and writes the GIF.
# A test checks that the committed one is still what the game makes.
#
# Usage: tools/gen_play_gif.sh VELMORA_BINARY [OUTPUT]
#        (the Linux build, e.g. build/linux/velmora; default OUTPUT:
#        dist/screenshots/play.gif beside tools/)
set -eu

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    sed -n '2,9s/^# \{0,1\}//p' "$0" >&2
    exit 2
fi
screenshots="$(dirname "$0")/../dist/screenshots"
exec "$1" --replay "$screenshots/play-recording.txt" --gif "${2:-$screenshots/play.gif}"
