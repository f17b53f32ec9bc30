"""A recording made into an animated GIF (velmora --replay FILE --gif OUT),
decoded with Pillow: every picture is a frame the game presented, pixels and
palette, at its time; the delays add up to the recording's time; ten seconds
of play stay small; the README's picture is what the game makes now; a bad
recording or an output that cannot be written leaves nothing behind."""

import hashlib
import os
import resource
import signal
import subprocess
import tempfile
import unittest

from PIL import GifImagePlugin, Image

from velmora_run import BINARY, SOURCE_DIR, screen_palette

SCREENSHOTS = os.path.join(SOURCE_DIR, "dist", "screenshots")
RECORDING = os.path.join(SCREENSHOTS, "play-recording.txt")
MARK = 20  # ms: the shortest delay every browser plays as written
SIZE_BOUND = 300 * 1024

# Pictures stay paletted while their palette is the first one's, so that
# each one's palette can be read.
GifImagePlugin.LOADING_STRATEGY = GifImagePlugin.LoadingStrategy.RGB_AFTER_DIFFERENT_PALETTE_ONLY


def no_display():
    env = dict(os.environ)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "VELMORA_VIDEO"):
        env.pop(name, None)
    return env


def make_gif(recording, out, *options, **run_args):
    return subprocess.run([BINARY, "--replay", recording, "--gif", out] + list(options),
                          env=no_display(), capture_output=True, text=True, timeout=120,
                          **run_args)


def digest(image):
    return hashlib.sha1(image.convert("RGB").tobytes()).hexdigest()


def pictures(path, resize=None, count=None):
    """Each picture (or the first `count`) as (mode, palette, delay in ms,
    digest of its RGB)."""
    found = []
    with Image.open(path) as image:
        for index in range(count or image.n_frames):
            image.seek(index)
            shown = image if resize is None else image.convert("RGB").resize(
                (image.width * resize, image.height * resize), Image.NEAREST)
            found.append((image.mode, image.getpalette(), image.info["duration"], digest(shown)))
    return found


def readings(lines):
    """The recording's first clock reading, and each frame's by its number
    (from 1): frame k reads the clock while k - 1 frames have been shown."""
    ticks = [line.split() for line in lines[1:] if line.split()[1] == "tick"]
    return int(ticks[0][2]), {int(frame) + 1: int(ms) for frame, _, ms in ticks}


def captured_digests(lines, folder):
    """Every frame of the recording captured headless, by frame number."""
    last = max(int(line.split()[0]) for line in lines[1:] if line.split()[1] == "tick")
    events = lines[1:] + ["%d capture" % frame for frame in range(last + 1)]
    os.makedirs(folder)
    script = os.path.join(folder, "captured.txt")
    with open(script, "w") as handle:
        handle.write("\n".join(lines[:1] + sorted(events, key=lambda l: int(l.split()[0]))))
        handle.write("\n")
    done = subprocess.run([BINARY, "--replay", script], capture_output=True, text=True,
                          timeout=300, env=dict(os.environ, VELMORA_VIDEO="headless",
                                                VELMORA_CAPTURE=folder))
    if done.returncode != 0:
        raise AssertionError("capturing ended with %d:\n%s" % (done.returncode, done.stderr))
    found = {}
    for name in os.listdir(folder):
        if name.startswith("frame-"):
            with Image.open(os.path.join(folder, name)) as image:
                found[int(name[6:-4])] = digest(image)
    return found


class GifOfPlay(unittest.TestCase):
    """The README's recording: title, Space, the ball round and across the
    bottom edge, ten seconds at about 60 frames a second."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="velmora-gif-")
        with open(RECORDING) as handle:
            cls.lines = [line for line in handle.read().splitlines() if line.strip()]
        cls.gif = os.path.join(cls.folder, "play.gif")
        cls.made = make_gif(RECORDING, cls.gif)
        if cls.made.returncode != 0:
            raise AssertionError("--gif ended with %d:\n%s" % (cls.made.returncode,
                                                              cls.made.stderr))
        cls.pictures = pictures(cls.gif)

    @classmethod
    def tearDownClass(cls):
        subprocess.run(["rm", "-rf", cls.folder], check=False)

    def test_every_picture_is_a_frame_the_game_showed_at_that_moment(self):
        captures = captured_digests(self.lines, os.path.join(self.folder, "captures"))
        _, times = readings(self.lines)
        self.assertEqual(sorted(times), sorted(captures), "frames captured against frames read")
        flat = [value for colour in screen_palette() for value in colour]
        start, frames = times[1], sorted(times)
        at = 0
        for index, (mode, palette, delay, shown) in enumerate(self.pictures):
            self.assertEqual(("P", flat), (mode, palette), "picture %d's palette" % index)
            # Frames on the screen from 20 ms before the picture to 20 ms after.
            near = [k for k in frames if times[k] < start + at + delay + MARK and
                    (k == frames[-1] or times[k + 1] > start + at - MARK)]
            self.assertIn(shown, [captures[k] for k in near],
                          "picture %d (%d to %d ms) is none of the frames %s shown then" %
                          (index, at, at + delay, near))
            at += delay

    def test_delays_add_up_to_the_recording_and_ten_seconds_stay_small(self):
        first, times = readings(self.lines)
        recorded = max(times.values()) - first
        delays = [delay for _, _, delay, _ in self.pictures]
        self.assertEqual([], [d for d in delays if d < MARK], "delays browsers would stretch")
        self.assertLessEqual(abs(sum(delays) - recorded), MARK,
                             "delays add up to %d ms, the recording to %d" % (sum(delays),
                                                                              recorded))
        self.assertGreaterEqual(recorded, 10000, "the recording is shorter than ten seconds")
        self.assertLess(os.path.getsize(self.gif), SIZE_BOUND, "bytes of the GIF")
        self.assertRegex(self.made.stderr, r"^velmora: GIF .*play.gif saved: %d pictures, "
                         r"[0-9.]+ seconds, \d+ KB\n$" % len(self.pictures))

    def test_scale_makes_each_pixel_a_square_and_the_readme_picture_is_the_games(self):
        big = os.path.join(self.folder, "big.gif")
        self.assertEqual(0, make_gif(RECORDING, big, "--scale", "2").returncode)
        # The title, Space and the first second of play.
        enlarged = [picture[2:] for picture in pictures(self.gif, resize=2, count=150)]
        self.assertEqual(enlarged, [picture[2:] for picture in pictures(big, count=150)],
                         "--scale 2 against each picture enlarged (delay, digest)")
        committed = pictures(os.path.join(SCREENSHOTS, "play.gif"))
        self.assertEqual(self.pictures, committed, "dist/screenshots/play.gif against what "
                         "the game makes of its recording (tools/gen_play_gif.sh makes it)")


class Refused(unittest.TestCase):
    def setUp(self):
        self.folder = self.enterContext(tempfile.TemporaryDirectory())
        self.out = os.path.join(self.folder, "out.gif")

    def assert_refused(self, done, status, line):
        self.assertEqual((status, "velmora: %s\n" % line), (done.returncode, done.stderr))

    def test_bad_recording_or_output_is_one_line_and_nothing_is_written(self):
        damaged = os.path.join(self.folder, "damaged.txt")
        with open(damaged, "wb") as handle:
            handle.write(b"velmora-script 1\n0 tick 10\n\x00\xff 0 down LEFT\n")
        self.assert_refused(make_gif(damaged, self.out), 2,
                            "%s:3: expected a frame number, not '??'" % damaged)
        missing = os.path.join(self.folder, "missing", "out.gif")
        self.assert_refused(make_gif(RECORDING, missing), 2,
                            "cannot write the GIF %s (No such file or directory)" % missing)
        self.assert_refused(make_gif(RECORDING, self.folder), 2,
                            "cannot write the GIF %s (is a directory)" % self.folder)
        self.assertEqual(["damaged.txt"], os.listdir(self.folder))

    def test_write_failing_part_way_leaves_the_old_file_and_nothing_else(self):
        with open(self.out, "w") as handle:
            handle.write("the old picture")

        def small_disk():
            # As a full disk does: writes past 64 KB fail.
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (64 * 1024, 64 * 1024))

        self.assert_refused(make_gif(RECORDING, self.out, preexec_fn=small_disk), 4,
                            "cannot write the GIF %s (File too large)" % self.out)
        self.assertEqual(["out.gif"], os.listdir(self.folder))
        with open(self.out) as handle:
            self.assertEqual("the old picture", handle.read())


if __name__ == "__main__":
    unittest.main()
