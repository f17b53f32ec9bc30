"""velmora --replay FILE --gif OUT, decoded with Pillow: each picture is a
frame the game showed at that moment (palette and pixels), the delays add up
to the recording's time, ten seconds stay small, and what cannot be made
leaves nothing behind."""

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
# Pictures stay paletted while their palette is the first one's.
GifImagePlugin.LOADING_STRATEGY = GifImagePlugin.LoadingStrategy.RGB_AFTER_DIFFERENT_PALETTE_ONLY


def make_gif(recording, out, *options, **run_args):
    env = {name: value for name, value in os.environ.items()
           if name not in ("DISPLAY", "WAYLAND_DISPLAY", "VELMORA_VIDEO")}
    return subprocess.run([BINARY, "--replay", recording, "--gif", out] + list(options), env=env,
                          capture_output=True, text=True, timeout=120, **run_args)


def digest(image):
    return hashlib.sha1(image.convert("RGB").tobytes()).hexdigest()


def pictures(path, scale=1, count=None):
    """(mode, palette, delay in ms, digest) of each picture, or of the first
    `count`, enlarged `scale` times."""
    found = []
    with Image.open(path) as image:
        for index in range(count or image.n_frames):
            image.seek(index)
            shown = image.convert("RGB").resize((image.width * scale, image.height * scale),
                                                Image.NEAREST)
            found.append((image.mode, image.getpalette(), image.info["duration"], digest(shown)))
    return found


def captures(lines, folder):
    """Every frame captured headless, by number (from 1), with the clock
    reading each took: frame k reads it while k - 1 frames have been shown."""
    ticks = [line.split() for line in lines if line.split()[1:2] == ["tick"]]
    events = lines[1:] + ["%d capture" % frame for frame in {int(t[0]) for t in ticks}]
    script = os.path.join(folder, "captured.txt")
    with open(script, "w") as handle:
        handle.write("\n".join(lines[:1] + sorted(events, key=lambda l: int(l.split()[0]))) + "\n")
    done = subprocess.run([BINARY, "--replay", script], capture_output=True, text=True, timeout=300,
                          env=dict(os.environ, VELMORA_VIDEO="headless", VELMORA_CAPTURE=folder))
    assert done.returncode == 0, done.stderr
    shots = {}
    for name in (n for n in os.listdir(folder) if n.startswith("frame-")):
        with Image.open(os.path.join(folder, name)) as image:
            shots[int(name[6:-4])] = digest(image)
    return shots, {int(frame) + 1: int(ms) for frame, _, ms in ticks}, int(ticks[0][2])


class GifOfPlay(unittest.TestCase):
    """The README's recording: title, Space, the ball round and across the
    bottom edge, ten seconds at about 60 frames a second."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="velmora-gif-")
        cls.gif = os.path.join(cls.folder, "play.gif")
        cls.made = make_gif(RECORDING, cls.gif)
        assert cls.made.returncode == 0, cls.made.stderr
        cls.pictures = pictures(cls.gif)
        with open(RECORDING) as handle:
            lines = [line for line in handle.read().splitlines() if line.strip()]
        cls.shots, cls.times, cls.start = captures(lines, cls.folder)

    @classmethod
    def tearDownClass(cls):
        subprocess.run(["rm", "-rf", cls.folder], check=False)

    def test_every_picture_is_a_frame_the_game_showed_at_that_moment(self):
        flat = [value for colour in screen_palette() for value in colour]
        frames, first = sorted(self.times), self.times[1]
        at = 0
        for index, (mode, palette, delay, shown) in enumerate(self.pictures):
            self.assertEqual(("P", flat), (mode, palette), "picture %d's palette" % index)
            # The frames on the screen from 20 ms before the picture to 20 ms after.
            near = [k for k in frames if self.times[k] < first + at + delay + MARK and
                    (k == frames[-1] or self.times[k + 1] > first + at - MARK)]
            self.assertIn(shown, [self.shots[k] for k in near],
                          "picture %d (%d to %d ms) is none of the frames %s shown then" %
                          (index, at, at + delay, near))
            at += delay

    def test_delays_add_up_to_the_recording_and_ten_seconds_stay_small(self):
        recorded = max(self.times.values()) - self.start
        delays = [delay for _, _, delay, _ in self.pictures]
        self.assertEqual([], [d for d in delays if d < MARK], "delays browsers would stretch")
        self.assertLessEqual(abs(sum(delays) - recorded), MARK,
                             "delays add up to %d ms, the recording to %d" % (sum(delays),
                                                                              recorded))
        self.assertGreaterEqual(recorded, 10000, "ms of the recording")
        self.assertLess(os.path.getsize(self.gif), 300 * 1024, "bytes of the GIF")
        self.assertRegex(self.made.stderr, r"^velmora: GIF \S+ saved: %d pictures, [0-9.]+ "
                         r"seconds, \d+ KB\n$" % len(self.pictures))

    def test_scale_makes_each_pixel_a_square_and_the_readme_picture_is_the_games(self):
        big = os.path.join(self.folder, "big.gif")
        self.assertEqual(0, make_gif(RECORDING, big, "--scale", "2").returncode)
        # The title, Space and the first second of play.
        self.assertEqual([p[2:] for p in pictures(self.gif, scale=2, count=150)],
                         [p[2:] for p in pictures(big, count=150)],
                         "(delay, digest) of --scale 2 against each picture enlarged")
        self.assertEqual(self.pictures, pictures(os.path.join(SCREENSHOTS, "play.gif")),
                         "dist/screenshots/play.gif against what the game makes of its "
                         "recording (tools/gen_play_gif.sh makes it)")


class Refused(unittest.TestCase):
    def test_bad_input_or_output_is_one_line_and_leaves_nothing(self):
        folder = self.enterContext(tempfile.TemporaryDirectory())
        out = os.path.join(folder, "out.gif")
        with open(out, "w") as handle:
            handle.write("the old picture")
        damaged = os.path.join(folder, "damaged.txt")
        with open(damaged, "wb") as handle:
            handle.write(b"velmora-script 1\n0 tick 10\n\x00\xff 0 down LEFT\n")
        missing = os.path.join(folder, "missing", "out.gif")

        def small_disk():
            # As a full disk does: a write past 64 KB fails.
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (64 * 1024, 64 * 1024))

        for (recording, to, run_args), status, line in [
                ((damaged, out, {}), 2, "%s:3: expected a frame number, not '??'" % damaged),
                ((RECORDING, missing, {}), 2,
                 "cannot write the GIF %s (No such file or directory)" % missing),
                ((RECORDING, folder, {}), 2, "cannot write the GIF %s (is a directory)" % folder),
                ((RECORDING, out, {"preexec_fn": small_disk}), 4,
                 "cannot write the GIF %s (File too large)" % out)]:
            done = make_gif(recording, to, **run_args)
            self.assertEqual((status, "velmora: %s\n" % line), (done.returncode, done.stderr))
            self.assertEqual(["damaged.txt", "out.gif"], sorted(os.listdir(folder)))
            with open(out) as handle:
                self.assertEqual("the old picture", handle.read())


if __name__ == "__main__":
    unittest.main()
