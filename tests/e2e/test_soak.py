"""A long headless run: 100,000 frames with the display lost every 1,000 and
the window minimised and restored every 10,000. Resident memory stays flat,
the last frames of each scene equal its early frames, and the run ends with
status 0 with every DirectDraw object given back."""

import os
import subprocess
import tempfile
import time
import unittest

from velmora_run import BINARY
from velmora_test import images

FRAMES = 100000
PLAY_FROM = 50000
# Early and late frames of each scene: (early, late) capture numbers.
TITLE = (10, PLAY_FROM - 10)
PLAY = (PLAY_FROM + 10, FRAMES - 1)
# Growth between early and late samples of a scene that still counts as
# flat: less than leaking one 640 x 480 surface on each of four losses would add.
FLAT_BYTES = 1024 * 1024


def soak_script():
    lines = ["%d lose" % n for n in range(1000, FRAMES, 1000)]
    for n in range(10000, FRAMES, 10000):
        lines += ["%d minimize" % (n - 500), "%d idle 100" % (n - 500), "%d restore" % (n - 500)]
    lines += ["%d down SPACE" % PLAY_FROM, "%d up SPACE" % (PLAY_FROM + 1)]
    # `N capture` writes frame N + 1.
    lines += ["%d capture" % (n - 1) for n in TITLE + PLAY]
    return "\n".join(lines) + "\n"


def resident_bytes(pid):
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) * 1024
    except OSError:
        pass
    return None


def differing_pixels(a, b):
    """Pixels that differ, outside the frames-per-second text at the top left."""
    return len(images.differences(a, b, ignore=((0, 0, 80, 16),)))


class Soak(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        script = os.path.join(cls.folder.name, "soak.txt")
        with open(script, "w") as handle:
            handle.write(soak_script())
        env = dict(os.environ, VELMORA_VIDEO="headless", VELMORA_SCRIPT=script,
                   VELMORA_CAPTURE=cls.folder.name)
        # In the sanitizer build freed memory waits in AddressSanitizer's
        # quarantine, which fills slowly over a long run and would read as
        # growth; without it, resident memory is the program's own again.
        options = env.get("ASAN_OPTIONS", "")
        env["ASAN_OPTIONS"] = (options + ":" if options else "") + "quarantine_size_mb=0"
        process = subprocess.Popen([BINARY], cwd=cls.folder.name, env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        cls.samples = []
        while process.poll() is None:
            rss = resident_bytes(process.pid)
            if rss is not None:
                cls.samples.append(rss)
            # Often enough for 50 samples even when the whole run takes
            # about a second, as the optimised build's now does.
            time.sleep(0.005)
        cls.stderr = process.stderr.read()
        process.stderr.close()
        cls.status = process.wait()

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def frame(self, number):
        path = os.path.join(self.folder.name, "frame-%06d.png" % number)
        self.assertTrue(os.path.exists(path), "frame %d was not captured" % number)
        return images.load(path)

    def test_ends_with_status_0_and_every_object_given_back(self):
        self.assertEqual(self.status, 0, self.stderr[-2000:])
        self.assertNotIn("still held", self.stderr)

    def window(self, start, end):
        """The highest sample between two fractions of the run (frames run at
        an even pace, so time stands for frames)."""
        count = len(self.samples)
        return max(self.samples[int(start * count):int(end * count)])

    def test_resident_memory_stays_flat_in_each_scene(self):
        # Title from 0 to a half, play after it; each scene touches memory of
        # its own, so each is compared with itself. The last twentieth is the
        # game ending: the sanitizer build's leak check reads all of memory
        # then, some 8 MB more resident for a moment, which is no scene's.
        self.assertGreaterEqual(len(self.samples), 50, "too few memory samples")
        for scene, early, late in (("title", (0.10, 0.20), (0.35, 0.45)),
                                   ("play", (0.60, 0.70), (0.85, 0.95))):
            before = self.window(*early)
            after = self.window(*late)
            print("\n%s: %d samples, resident %.2f MB early, %.2f MB late"
                  % (scene, len(self.samples), before / 2**20, after / 2**20))
            self.assertLess(after - before, FLAT_BYTES,
                            "%s: resident memory grew from %.2f MB to %.2f MB"
                            % (scene, before / 2**20, after / 2**20))

    def test_the_last_title_frames_equal_the_early_ones(self):
        early, late = TITLE
        self.assertEqual(differing_pixels(self.frame(early), self.frame(late)), 0,
                         "title frame %d differs from frame %d" % (late, early))

    def test_the_last_play_frames_equal_the_early_ones(self):
        early, late = PLAY
        self.assertEqual(differing_pixels(self.frame(early), self.frame(late)), 0,
                         "play frame %d differs from frame %d" % (late, early))

    def test_the_scenes_differ(self):
        # Guards the two comparisons above against comparing blank frames.
        self.assertGreater(differing_pixels(self.frame(TITLE[0]), self.frame(PLAY[0])), 10000)


if __name__ == "__main__":
    unittest.main()
