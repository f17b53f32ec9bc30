"""The README's GIF in headless Chromium animates at the recording's speed:
the picture shown, taken at two moments three seconds apart and found among
the GIF's pictures, has moved on by as much GIF time. (Delays a browser
stretched to a tenth of a second would move it on by a fifth of that.)"""

import base64
import io
import os
import tempfile
import unittest

from PIL import Image

from test_gif import RECORDING, digest, make_gif, pictures
from velmora_test import devtools
from velmora_test.waiting import wait_until

PAGE = '<!doctype html><body style="margin: 0"><img id="gif" src="play.gif"></body>'
APART = 3000  # ms


class GifInChromium(unittest.TestCase):
    def setUp(self):
        folder = self.enterContext(tempfile.TemporaryDirectory())
        made = make_gif(RECORDING, os.path.join(folder, "play.gif"))
        self.assertEqual(0, made.returncode, made.stderr)
        with open(os.path.join(folder, "page.html"), "w") as handle:
            handle.write(PAGE)
        self.found, self.spans, at = {}, [], 0
        for index, (_, _, delay, shown) in enumerate(pictures(os.path.join(folder, "play.gif"))):
            self.found.setdefault(shown, []).append(index)
            self.spans.append((at, at + delay))
            at += delay
        self.loop = at
        server = devtools.Server(folder)
        self.addCleanup(server.stop)
        self.browser = devtools.Browser()
        self.addCleanup(self.browser.stop)
        self.browser.open(server.url + "page.html")
        self.assertTrue(wait_until(lambda: self.browser.evaluate(
            "!!document.getElementById('gif') && document.getElementById('gif').complete"), 30),
            "the page did not load the GIF in 30 s")

    def moment(self):
        """The page's clock before and after a screenshot that is exactly one
        picture of the GIF, and that picture."""
        seen = []

        def one():
            before = self.browser.evaluate("performance.now()")
            shot = self.browser.call("Page.captureScreenshot", format="png", clip={
                "x": 0, "y": 0, "width": 640, "height": 480, "scale": 1})
            after = self.browser.evaluate("performance.now()")
            with Image.open(io.BytesIO(base64.b64decode(shot["data"]))) as image:
                seen.append(self.found.get(digest(image), []))
            return (before, after, seen[-1][0]) if len(seen[-1]) == 1 else None

        found = wait_until(one, 30, step=0.02)
        self.assertIsNotNone(found, "no screenshot was one picture; pictures matched: %s" %
                             seen[-5:])
        return found

    def test_plays_at_the_recordings_speed(self):
        a_before, a_after, a = self.moment()
        self.assertTrue(wait_until(lambda: self.browser.evaluate("performance.now()") >=
                                   a_after + APART, 30, step=0.02))
        b_before, b_after, b = self.moment()
        # GIF time between the pictures (across the loop's end if need be)
        # against page time between the screenshots.
        low = (self.spans[b][0] - self.spans[a][1]) % self.loop
        high = low + (self.spans[b][1] - self.spans[b][0]) + (self.spans[a][1] - self.spans[a][0])
        shortest, longest = b_before - a_after, b_after - a_before
        slack = 0.1 * shortest + 50
        self.assertTrue(low - slack <= longest and shortest <= high + slack,
                        "pictures %d then %d, %.0f to %.0f ms apart on the page, are %d to %d ms "
                        "apart in the GIF" % (a, b, shortest, longest, low, high))


if __name__ == "__main__":
    unittest.main()
