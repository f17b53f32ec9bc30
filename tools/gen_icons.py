#!/usr/bin/python3
"""Draws the program's icons from the game's own art: the ball of CHARA on a
patch of the BACKIMG sky, as pixel art enlarged by whole multiples.

Usage: gen_icons.py [OUTPUT_DIR]   (default: resources/icons beside tools/)

Writes velmora-N.png for each hicolor size N. Reads the committed BMP files,
so run gen_images.py first when the art changes. The output is the same
bytes every time, which a test checks.
"""

import os
import sys

try:
    from PIL import Image
except ImportError:
    sys.exit("gen_icons.py: Pillow is required (run it with /usr/bin/python3)")

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_palette as gp  # noqa: E402

SIZES = (16, 24, 32, 48, 64, 128, 256)
BASE = 16
# The ball's cell in CHARA (the play scene's sprite) and a starry patch of sky.
BALL = (0, 104, 8, 112)
SKY = (451, 142)


def base_icon(resources):
    with Image.open(os.path.join(resources, "BACKIMG.bmp")) as back:
        sky = back.crop((SKY[0], SKY[1], SKY[0] + BASE, SKY[1] + BASE))
        sky.load()
    with Image.open(os.path.join(resources, "CHARA.bmp")) as chara:
        ball = chara.crop(BALL)
        ball.load()
    icon = sky.copy()
    # The colour key is see-through, as the game draws the sprite.
    for y in range(8):
        for x in range(8):
            index = ball.getpixel((x, y))
            if index != gp.KEY_INDEX:
                icon.putpixel((4 + x, 4 + y), index)
    return icon.convert("RGB")


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    resources = os.path.join(here, os.pardir, "resources")
    out_dir = argv[1] if len(argv) > 1 else os.path.join(resources, "icons")
    os.makedirs(out_dir, exist_ok=True)
    icon = base_icon(resources)
    for size in SIZES:
        # 24 is no whole multiple of 16: the nearest neighbour keeps it sharp.
        scaled = icon.resize((size, size), Image.NEAREST)
        scaled.save(os.path.join(out_dir, "velmora-%d.png" % size), optimize=False)


if __name__ == "__main__":
    main(sys.argv)
