#!/bin/sh
# Regenerates the icons into a scratch folder and compares them byte for byte
# with the committed ones. Usage: check_icons.sh PYTHON SOURCE_DIR SCRATCH_DIR
set -eu
python=$1
source=$2
scratch=$3
rm -rf "$scratch"
"$python" "$source/tools/gen_icons.py" "$scratch"
status=0
for icon in "$source"/resources/icons/*.png; do
    name=$(basename "$icon")
    if ! cmp -s "$icon" "$scratch/$name"; then
        echo "regenerated $name differs from resources/icons/$name" >&2
        status=1
    fi
done
[ "$(ls "$scratch" | wc -l)" -eq "$(ls "$source"/resources/icons | wc -l)" ] ||
    { echo "the generator draws other icons than the committed ones" >&2; status=1; }
[ "$status" -eq 0 ] && echo "the committed icons are the generator's output"
exit "$status"
