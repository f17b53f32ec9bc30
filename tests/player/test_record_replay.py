"""A session played with real keys under openbox and recorded with --record,
then replayed: headless, each frame the player saved with the screenshot key
comes out again, pixel for pixel, the frames-per-second digits included; in
the window, the replay runs to its end or until Escape."""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

from player_host import BINARY, Game
from velmora_test import desktop, headless, images
from velmora_test.waiting import wait_until
from velmora_test.xserver import XServer

# openbox keeps Print Screen for itself; F9 is the game's other screenshot key.
SCREENSHOT = "F9"


class RecordReplay(unittest.TestCase):
    def setUp(self):
        self.xvfb = XServer.of_size(1024, 768)
        self.wm = desktop.Openbox(self.xvfb)
        self.games = []

    def tearDown(self):
        for game in self.games:
            game.cleanup()
        self.wm.stop()
        self.xvfb.stop()

    def start(self, *args):
        game = Game(self.xvfb, args)
        self.games.append(game)
        return game

    def hold(self, game, key, seconds):
        game._run("xdotool", "keydown", key)
        time.sleep(seconds)
        game._run("xdotool", "keyup", key)
        time.sleep(0.15)

    def play_session(self, game):
        """Title, play, the ball down across the bottom edge and back in at
        the top, left, a minimise and restore, S back to the title: a
        screenshot at each stage, the first after the FPS text appears."""
        time.sleep(1.2)
        game.key(SCREENSHOT, "space", SCREENSHOT)
        self.hold(game, "Down", 1.6)
        game.key(SCREENSHOT)
        self.hold(game, "Left", 0.5)
        game._run("xdotool", "windowminimize", game.window)
        wait_until(lambda: desktop.iconic(self.xvfb.display, game.window), 10)
        time.sleep(0.5)
        game._run("xdotool", "windowactivate", game.window)
        time.sleep(1)
        game.key(SCREENSHOT, "s", SCREENSHOT)
        self.assertEqual(0, game.quit(), game.stderr())

    def screenshots(self, game):
        """The saved frames in the order they were taken."""
        paths = re.findall(r"^velmora: screenshot (.+)$", game.stderr(), re.M)
        return [images.load(path) for path in paths]

    def test_replayed_frames_equal_the_live_screenshots(self):
        folder = tempfile.mkdtemp(prefix="velmora-record-")
        recording = os.path.join(folder, "session.txt")
        game = self.start("--window", "--record", recording)
        self.play_session(game)
        with open(recording) as handle:
            text = handle.read()
        self.assertTrue(text.startswith("velmora-script 1"), text[:200])
        for needed in ("minimize", "restore", "down DOWN", "down S", "tick"):
            self.assertIn(needed, text, "the recording has no '%s'" % needed)
        live = self.screenshots(game)
        self.assertEqual(5, len(live), game.stderr())
        # Said at the start, and at the end what the file holds.
        frames = int(re.findall(r"^(\d+) ", text, re.M)[-1])
        readings = [int(n) for n in re.findall(r"^\d+ tick (\d+)$", text, re.M)]
        said = re.findall(r"^velmora: recording .*$", game.stderr(), re.M)
        self.assertEqual(said, ["velmora: recording to %s" % recording,
                                "velmora: recording %s saved: %d frames, %.1f seconds"
                                % (recording, frames, (readings[-1] - readings[0]) / 1000)])

        replay = headless.run(BINARY, [], {"VELMORA_SCRIPT": recording}, 120,
                              folder=os.path.join(folder, "replay"))
        self.assertEqual(0, replay.status, replay.stderr)
        numbers = sorted(replay.captures)
        self.assertEqual(len(live), len(numbers), "captured frames %s" % numbers)
        for number, shot in zip(numbers, live):
            diffs = images.differences(replay.frame(number), shot)
            if diffs:
                marked = images.save_marked(os.path.join(folder, "diff-%d.png" % number),
                                            shot, diffs)
                x, y, replayed, seen = diffs[0]
                self.fail("capture at frame %d differs at %d,%d: %s vs %s live (%d pixels; %s)"
                          % (number, x, y, replayed, seen, len(diffs), marked))

        # In the window: at the recorded pace to the end, status 0; Escape
        # ends it at once.
        # A replay shows a pause of more than a second (the minimised game) as one.
        recorded = sum(min(b - a, 1000) for a, b in zip(readings, readings[1:])) / 1000
        began = time.monotonic()
        watched = self.start("--window", "--replay", recording)
        self.assertEqual(0, watched.process.wait(60), watched.stderr())
        self.assertGreater(time.monotonic() - began, 0.9 * recorded,
                           "a replay of %.1f s ended sooner" % recorded)
        stopped = self.start("--window", "--replay", recording)
        stopped.key("space", "Escape")
        self.assertEqual(0, stopped.process.wait(5), stopped.stderr())
        self.assertNotIn("screenshot", stopped.stderr())
        shutil.rmtree(folder)

    def test_a_recording_with_few_clock_lines_plays_to_its_end_in_the_window(self):
        """Written by hand: two clock lines 3,000 frames apart. Timed (no
        pacing, the same player as --replay) it plays every frame, as headless."""
        folder = self.enterContext(tempfile.TemporaryDirectory())
        recording = os.path.join(folder, "few.txt")
        with open(recording, "w") as handle:
            handle.write("velmora-script 1\n0 tick 1000\n2 down SPACE\n3 up SPACE\n"
                         "4 down RIGHT\n3000 up RIGHT\n3000 tick 60000\n")
        env = dict(os.environ, DISPLAY=self.xvfb.display, HOME=folder)
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("VELMORA_VIDEO", None)
        done = subprocess.run([BINARY, "--window", "--timedemo", recording], env=env,
                              capture_output=True, text=True, timeout=120)
        self.assertEqual((0, ""), (done.returncode, done.stderr))
        self.assertRegex(done.stdout, r"^timedemo .*few.txt: 3000 frames")

    def test_a_held_key_is_one_press_and_a_quick_release_and_press_are_two(self):
        """The window system repeats a held key some 25 times a second; the
        game sees one press, and a release with a press straight after it
        (one batch of events) is seen as both."""
        folder = tempfile.mkdtemp(prefix="velmora-keys-")
        recording = os.path.join(folder, "keys.txt")
        game = self.start("--window", "--record", recording)
        time.sleep(1.2)
        game.key("space")
        game._run("xdotool", "keydown", "Right")
        time.sleep(1.5)
        # Stopped, the game reads the two in one batch when it goes on.
        game.process.send_signal(signal.SIGSTOP)
        game._run("xdotool", "keyup", "Right", "keydown", "Right")
        game.process.send_signal(signal.SIGCONT)
        time.sleep(1.0)
        game._run("xdotool", "keyup", "Right")
        time.sleep(0.3)
        self.assertEqual(0, game.quit(), game.stderr())
        with open(recording) as handle:
            keys = re.findall(r"^(\d+) ((?:down|up) RIGHT)$", handle.read(), re.M)
        self.assertEqual(["down RIGHT", "up RIGHT", "down RIGHT", "up RIGHT"],
                         [key for _, key in keys])
        # A press taken for a repeat would be seen only when the key repeats
        # again, most of a second later.
        released, pressed = int(keys[1][0]), int(keys[2][0])
        self.assertLessEqual(pressed - released, 2,
                             "the press after the release came at frame %d, the release at %d"
                             % (pressed, released))
        shutil.rmtree(folder)
