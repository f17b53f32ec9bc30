"""Runs the native velmora binary headless from a script and reads what it showed."""

import os

from PIL import Image

from velmora_test import headless

SOURCE_DIR = os.environ["VELMORA_SOURCE_DIR"]
BINARY = os.environ["VELMORA_BIN"]
RESOURCES = os.path.join(SOURCE_DIR, "resources")

KEY = 145
FILL = 128


def run(script, extra_env=None, timeout=120, prepare=None):
    """Runs the binary in a fresh folder; prepare(folder), when given, may put
    files there first and returns environment entries of its own."""
    return headless.run(BINARY, script, extra_env, timeout, prepare)


def image_indices(name):
    """A resource image as rows of palette indices, top row first."""
    with Image.open(os.path.join(RESOURCES, name + ".bmp")) as image:
        width, height = image.size
        data = list(image.getdata())
    return [data[y * width:(y + 1) * width] for y in range(height)]


def screen_palette():
    """The display palette as the screen shows it: entries 0 and 255 are
    reserved black and white."""
    with Image.open(os.path.join(RESOURCES, "BACKIMG.bmp")) as image:
        flat = image.getpalette()
    colours = [tuple(flat[i * 3:i * 3 + 3]) for i in range(256)]
    colours[0] = (0, 0, 0)
    colours[255] = (255, 255, 255)
    return colours


def expected_title():
    """The title frame without the FPS text, as palette indices."""
    title = image_indices("TITLE")
    screen = [[FILL] * 640 for _ in range(480)]
    for top, rows, screen_top in ((0, 100, 100), (100, 35, 350)):
        for y in range(rows):
            for x in range(640):
                index = title[top + y][x]
                if index != KEY:
                    screen[screen_top + y][x] = index
    return screen


def expected_play(ball_x, ball_y):
    background = image_indices("BACKIMG")
    chara = image_indices("CHARA")
    screen = [list(row) for row in background[:480]]
    for y in range(8):
        for x in range(8):
            index = chara[104 + y][x]
            if index != KEY:
                screen[ball_y + y][ball_x + x] = index
    return screen


def mismatches(image, indices, skip_text=True):
    """Pixels of a captured frame that differ from the expected indices
    (outside the FPS text at the top left, unless asked)."""
    palette = screen_palette()
    pixels = image.load()
    wrong = []
    for y in range(480):
        for x in range(640):
            if skip_text and y < 16 and x < 80:
                continue
            if pixels[x, y] != palette[indices[y][x]]:
                wrong.append((x, y))
    return wrong


def find_ball(image):
    """Top-left corner of the ball on a play frame, or None."""
    palette = screen_palette()
    background = image_indices("BACKIMG")
    pixels = image.load()
    changed = [(x, y) for y in range(480) for x in range(640)
               if not (y < 16 and x < 80) and pixels[x, y] != palette[background[y][x]]]
    if not changed:
        return None
    xs = [x for x, _ in changed]
    ys = [y for _, y in changed]
    return min(xs), min(ys)


def read_text(image, cells=12):
    """Reads the FPS text at the top left by matching each 8 x 16 cell with
    the glyphs of the font's first band, over the title's fill colour."""
    font = image_indices("STRINGS")
    palette = screen_palette()
    pixels = image.load()
    text = ""
    for cell in range(cells):
        found = None
        for code in range(32, 95):
            left = (code - 32) * 8
            if all(pixels[cell * 8 + x, y] ==
                   palette[FILL if font[y][left + x] == KEY else font[y][left + x]]
                   for y in range(16) for x in range(8)):
                found = chr(code)
                break
        if found is None:
            break
        text += found
    return text.rstrip()
