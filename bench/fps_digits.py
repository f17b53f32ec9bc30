"""The game's own frames-per-second counter, read off a screenshot.

The counter is "%04d FPS" drawn glyph by glyph from the font image
(resources/STRINGS.bmp: glyph N is the 8 x 16 cell at x = 8 * N of its first
band, character code minus 32), at the top left of the 640 x 480 frame, with
the font's colour key left out. A digit is the glyph whose drawn pixels all
match the screenshot; where two match (the pixels of one within the other's),
the one with more drawn pixels.
"""

from PIL import Image

WIDTH, HEIGHT = 640, 480
GLYPH_W, GLYPH_H = 8, 16
KEY = (21, 141, 91)  # the colour key the game sets on its font surface


class Font:
    def __init__(self, path):
        image = Image.open(path).convert("RGB")
        self.glyphs = {}
        for ch in "0123456789 FPS":
            left = GLYPH_W * (ord(ch) - 32)
            cell = image.crop((left, 0, left + GLYPH_W, GLYPH_H)).load()
            self.glyphs[ch] = [((x, y), cell[x, y]) for y in range(GLYPH_H)
                               for x in range(GLYPH_W) if cell[x, y] != KEY]

    def matches(self, frame, index, ch):
        px = frame.load()
        left = GLYPH_W * index
        return all(px[left + x, y] == colour for (x, y), colour in self.glyphs[ch])

    def read_char(self, frame, index, choices):
        found = [ch for ch in choices if self.matches(frame, index, ch)]
        if not found:
            return None
        return max(found, key=lambda ch: len(self.glyphs[ch]))

    def read_fps(self, frame):
        """The number the counter shows in a 640 x 480 frame, or None when
        the counter is not there (not yet drawn, or the frame is elsewhere)."""
        digits = [self.read_char(frame, i, "0123456789") for i in range(4)]
        tail = [self.read_char(frame, 4 + i, ch) for i, ch in enumerate(" FPS")]
        if None in digits or tail != list(" FPS"):
            return None
        return int("".join(digits))


def viewports(width, height):
    """Where a 640 x 480 frame may lie on an output of this size: as large as
    fits with its shape kept, or the largest whole multiple; both centred."""
    if width * HEIGHT <= height * WIDTH:
        fit = (width, width * HEIGHT // WIDTH)
    else:
        fit = (height * WIDTH // HEIGHT, height)
    scale = max(1, min(width // WIDTH, height // HEIGHT))
    sizes = [fit, (WIDTH * scale, HEIGHT * scale)]
    return [((width - w) // 2, (height - h) // 2, w, h) for w, h in sizes]


def frame_of(screenshot, viewport):
    """The 640 x 480 frame shown in `viewport` of a screenshot: the output
    pixel whose centre lies on each frame pixel."""
    x, y, w, h = viewport
    shown = screenshot.crop((x, y, x + w, y + h))
    if (w, h) == (WIDTH, HEIGHT):
        return shown
    px = shown.load()
    frame = Image.new("RGB", (WIDTH, HEIGHT))
    out = frame.load()
    for fy in range(GLYPH_H):  # only the counter's band is read
        sy = min(h - 1, ((2 * fy + 1) * h) // (2 * HEIGHT))
        for fx in range(GLYPH_W * 8):
            sx = min(w - 1, ((2 * fx + 1) * w) // (2 * WIDTH))
            out[fx, fy] = px[sx, sy]
    return frame


def read_screenshot(font, path):
    """The counter's number in a screenshot of the whole output, or None."""
    screenshot = Image.open(path).convert("RGB")
    for viewport in viewports(*screenshot.size):
        value = font.read_fps(frame_of(screenshot, viewport))
        if value is not None:
            return value
    return None
