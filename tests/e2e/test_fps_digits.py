"""The counter reader (bench/fps_digits.py) that scripts/compare-wine.sh
relies on: counters drawn here from the font image, as the game draws them,
over a background, shown at the sizes and places a screen shows the frame,
must read back as drawn."""

import os
import random
import tempfile
import unittest

from PIL import Image

import fps_digits

FONT_PATH = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources",
                         "STRINGS.bmp")


def draw_counter(text, seed):
    """A 640 x 480 frame of random colours with `text` drawn at the top left,
    glyph by glyph, the font's key colour left out."""
    rng = random.Random(seed)
    frame = Image.new("RGB", (640, 480))
    frame.putdata([(rng.randrange(256), rng.randrange(256), rng.randrange(256))
                   for _ in range(640 * 480)])
    font = Image.open(FONT_PATH).convert("RGB").load()
    out = frame.load()
    for i, ch in enumerate(text):
        left = 8 * (ord(ch) - 32)
        for y in range(16):
            for x in range(8):
                if font[left + x, y] != fps_digits.KEY:
                    out[8 * i + x, y] = font[left + x, y]
    return frame


def on_screen(frame, screen, viewport):
    """The frame scaled into `viewport` of a black screen, each output pixel
    showing the frame pixel under its centre."""
    x, y, w, h = viewport
    shown = frame.resize((w, h), Image.NEAREST)
    canvas = Image.new("RGB", screen)
    canvas.paste(shown, (x, y))
    return canvas


class CounterReader(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.font = fps_digits.Font(FONT_PATH)
        cls.folder = tempfile.TemporaryDirectory()

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def read(self, image):
        path = os.path.join(self.folder.name, "shot.png")
        image.save(path)
        return fps_digits.read_screenshot(self.font, path)

    def test_every_digit_reads_back_at_each_size_and_place(self):
        screens = [
            ((640, 480), (0, 0, 640, 480)),        # Wine's desktop, 1x
            ((1024, 768), (0, 0, 1024, 768)),      # full screen, 1.6x
            ((1366, 768), (171, 0, 1024, 768)),    # bars at the sides
            ((1024, 768), (192, 144, 640, 480)),   # a whole multiple: 1x, centred
            ((1920, 1080), (320, 60, 1280, 960)),  # a whole multiple: 2x, centred
        ]
        for number in ("0123", "4567", "8900", "0060", "0750", "1000"):
            frame = draw_counter(number + " FPS", seed=int(number))
            for screen, viewport in screens:
                with self.subTest(number=number, screen=screen):
                    found = self.read(on_screen(frame, screen, viewport))
                    self.assertEqual(found, int(number),
                                     "read %s from \"%s FPS\" shown at %s on %s" %
                                     (found, number, viewport, screen))

    def test_no_counter_reads_as_none(self):
        blank = draw_counter("", seed=5)
        self.assertIsNone(self.read(blank), "a frame without the counter")
        no_tail = draw_counter("0123", seed=6)
        self.assertIsNone(self.read(no_tail), "digits without \" FPS\" after them")


if __name__ == "__main__":
    unittest.main()
