#!/usr/bin/python3
"""Takes the screenshots that software centres show (dist/screenshots/): a
title frame and a play frame of the committed recording, replayed headless.

Usage: gen_screenshots.py VELMORA_BINARY [OUTPUT_DIR]
       (the headless build, e.g. build/linux/velmora; default OUTPUT_DIR: dist/screenshots beside tools/)

The recording carries its clock readings, so the frames are the same on
every run; a test checks that the committed ones still are the game's.
"""

import os
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "support"))
from velmora_test import headless  # noqa: E402

SHOTS = {"title": "title.png", "play": "play.png"}


def main(binary, folder):
    os.makedirs(folder, exist_ok=True)
    with tempfile.TemporaryDirectory() as scratch:
        frames = headless.showcase_frames(os.path.abspath(binary), scratch)
    for name, file_name in SHOTS.items():
        frames[name].save(os.path.join(folder, file_name), optimize=True)


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    here = os.path.dirname(os.path.abspath(__file__))
    main(sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else
         os.path.join(here, "..", "dist", "screenshots"))
