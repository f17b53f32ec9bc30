"""The player's program on Wayland: weston (its X11 back end on an Xvfb of
the test's own), the game started without DISPLAY so that SDL can only use
Wayland. What weston shows is read off the X screen its output is drawn on."""

import os
import shutil
import subprocess
import tempfile
import time
import unittest

from PIL import Image

from velmora_test import frames, headless, images
from velmora_test.frames import BALL_START, FIELD_X, FIELD_Y, TITLE
from velmora_test.processes import cpu_seconds, start, stop_process
from velmora_test.waiting import wait_until
from velmora_test.wayland import Weston
from velmora_test.xserver import XServer

BINARY = os.environ["VELMORA_BIN"]
SCREEN = (1024, 768)
# Full screen, integer scale: the frame at 1x in the middle of the output.
CENTRED = (192, 144)
# A row of every frame (title and play) that no other place of it repeats:
# where it is found on the screen, the frame may be.
PROBE_ROW = 150
REFERENCES = {}


def reference(name):
    if not REFERENCES:
        folder = tempfile.mkdtemp(prefix="velmora-wayland-reference-")
        REFERENCES.update(headless.reference_frames(BINARY, folder))
        shutil.rmtree(folder, ignore_errors=True)
    return REFERENCES[name]


def frame_at(screen, place):
    x, y = place
    if x + frames.WIDTH > screen.width or y + frames.HEIGHT > screen.height:
        return None
    return screen.crop((x, y, x + frames.WIDTH, y + frames.HEIGHT))


def find_frame(screen, expected):
    """Where on the screen `expected` is shown at 1x (outside its FPS text),
    or None."""
    needle = expected.crop((0, PROBE_ROW, frames.WIDTH, PROBE_ROW + 1)).tobytes()
    data = screen.tobytes()
    stride = screen.width * 3
    for y in range(PROBE_ROW, screen.height - frames.HEIGHT + PROBE_ROW + 1):
        row = data[y * stride:(y + 1) * stride]
        at = row.find(needle)
        while at >= 0:
            place = (at // 3, y - PROBE_ROW)
            if at % 3 == 0 and not frames.differences(frame_at(screen, place), expected):
                return place
            at = row.find(needle, at + 1)
    return None


class WaylandGame:
    """One run of velmora as a client of `weston`, with a home of its own."""

    def __init__(self, weston, args=(), env=None):
        self.weston = weston
        self.home = tempfile.mkdtemp(prefix="velmora-wayland-")
        self.stderr_path = os.path.join(self.home, "stderr.txt")
        self.shots = os.path.join(self.home, "shots")
        base = dict(os.environ, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, "config"),
                    VELMORA_SCREENSHOT_DIR=self.shots)
        for name in ("VELMORA_VIDEO", "VELMORA_WINDOWED", "VELMORA_PRESENT", "SDL_VIDEODRIVER"):
            base.pop(name, None)
        self.env = weston.client_env(base)
        self.env.update(env or {})
        with open(self.stderr_path, "w") as stderr:
            self.process = start([BINARY] + list(args), env=self.env,
                                 stdout=subprocess.DEVNULL, stderr=stderr)

    def stderr(self):
        with open(self.stderr_path) as handle:
            return handle.read()

    def quit(self, timeout=20):
        self.weston.press("Escape")
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def cleanup(self):
        stop_process(self.process)
        shutil.rmtree(self.home, ignore_errors=True)


class WaylandTest(unittest.TestCase):
    def setUp(self):
        self.xvfb = XServer.of_size(*SCREEN)
        self.weston = Weston(self.xvfb, *SCREEN)
        self.games = []
        self.others = []

    def tearDown(self):
        for game in self.games:
            game.cleanup()
        for other in self.others:
            stop_process(other)
        self.weston.stop()
        self.xvfb.stop()

    def start(self, *args, env=None):
        game = WaylandGame(self.weston, args, env)
        self.games.append(game)
        return game

    def fail_with_screen(self, game, message):
        shot = os.path.join(tempfile.gettempdir(), "velmora-wayland-%s.png" % self.id())
        self.weston.screen().save(shot)
        self.fail("%s (screen in %s); game status %s, standard error:\n%s\nweston:\n%s"
                  % (message, shot, game.process.poll(), game.stderr(), self.weston.read_log()))

    def wait_shown(self, game, name, place=CENTRED, what=""):
        """Waits until the reference frame `name` is whole at `place`
        (anywhere when place is None); returns where."""
        expected = reference(name)

        def shown():
            screen = self.weston.screen()
            if place is None:
                return find_frame(screen, expected)
            frame = frame_at(screen, place)
            return place if frame is not None and not frames.differences(frame, expected) else None
        found = wait_until(shown, 15)
        if not found:
            screen = self.weston.screen()
            frame = frame_at(screen, place or CENTRED)
            self.fail_with_screen(game, "%s: the %s frame is not whole at %s; at %s: %s" % (
                what, name, place or "any place", place or CENTRED,
                images.describe(frames.differences(frame, expected), "screen", "headless")))
        return found

    def ball(self):
        play = reference("play")
        sprite = frames.ball_pixels(play, *BALL_START)
        frame = frame_at(self.weston.screen(), CENTRED)
        return frames.locate_ball(frame, play, sprite)


class FullScreenPlay(WaylandTest):
    def test_keys_play_and_escape_ends_with_0(self):
        game = self.start()
        self.wait_shown(game, "title", what="at start")
        self.weston.press("space")
        self.wait_shown(game, "play", what="after Space")
        moves = (("Left", 0, -1), ("Right", 0, 1), ("Up", 1, -1), ("Down", 1, 1))
        for key, axis, sign in moves:
            before = self.ball()
            self.assertIsNotNone(before, "no ball found before %s" % key)
            self.weston.press(key, hold=0.4)
            low, high = (FIELD_X, FIELD_Y)[axis]

            def moved():
                at = self.ball()
                return at if at and frames.field_step(before[axis], at[axis], low, high) * sign > 0 \
                    else None
            after = wait_until(moved, 10)
            self.assertTrue(after, "%s: ball at %s, expected it to have moved %s from %s"
                            % (key, self.ball(), key.lower(), before))
            self.assertEqual(before[1 - axis], after[1 - axis],
                             "%s moved the ball across: %s to %s" % (key, before, after))
        self.weston.press("s")
        self.wait_shown(game, "title", what="after S")
        self.assertEqual(0, game.quit(), game.stderr())
        # The set-up lines are for --verbose only.
        self.assertEqual("", game.stderr(), "standard error without --verbose")


def opengl_threads(game):
    """The threads of Mesa's OpenGL drawn on the processor: llvmpipe starts
    them with the first context. (SDL 2.26 loads EGL for every Wayland
    window, so the libraries alone say nothing.)"""
    task = "/proc/%d/task" % game.process.pid
    names = []
    for thread in os.listdir(task):
        with open(os.path.join(task, thread, "comm")) as handle:
            names.append(handle.read().strip())
    return sorted(name for name in names if name.startswith(("llvmpipe", "softpipe")))


class PresentPath(WaylandTest):
    def setUp(self):
        if os.path.exists("/dev/nvidia0") or (os.path.isdir("/dev/dri") and os.listdir(
                "/dev/dri")):
            self.skipTest("a GPU device node is present: the path depends on its driver")
        super().setUp()

    def test_without_a_gpu_the_surface_path_and_no_opengl(self):
        game = self.start("--verbose")
        self.wait_shown(game, "title", what="on the surface path")
        self.assertEqual([], opengl_threads(game), "OpenGL draws on the surface path")
        self.assertEqual(0, game.quit(), game.stderr())
        self.assertEqual(frames.PROGRESS, game.stderr().splitlines(),
                         "--verbose: the set-up lines and nothing else")

    def test_forced_renderer_shows_the_same_frame(self):
        game = self.start(env={"VELMORA_PRESENT": "gpu"})
        self.wait_shown(game, "title", what="through the renderer")
        self.assertNotEqual([], opengl_threads(game), "VELMORA_PRESENT=gpu drew no OpenGL")
        self.assertEqual(0, game.quit(), game.stderr())


class ScreenshotKey(WaylandTest):
    def test_f9_writes_the_frame(self):
        game = self.start()
        self.wait_shown(game, "title", what="before F9")
        self.weston.press("F9")
        names = wait_until(lambda: os.path.isdir(game.shots) and os.listdir(game.shots), 10)
        self.assertTrue(names, "F9 wrote nothing; standard error:\n%s" % game.stderr())
        path = os.path.join(game.shots, names[0])
        with Image.open(path) as shot:
            self.assertEqual(("P", (frames.WIDTH, frames.HEIGHT)), (shot.mode, shot.size), path)
        diffs = frames.differences(frames.load(path), reference("title"))
        self.assertEqual([], diffs, "%s against the headless title: %s"
                         % (names[0], images.describe(diffs, "screenshot", "headless")))
        self.assertEqual(0, game.quit(), game.stderr())


class FullscreenSwitch(WaylandTest):
    def test_f11_and_alt_enter_switch_and_back(self):
        game = self.start()
        self.wait_shown(game, "title", what="at start")
        for keys in ("F11", "alt+Return"):
            self.weston.press(keys)
            place = self.wait_shown(game, "title", place=None, what="%s to a window" % keys)
            # Weston places a new window where it likes; out of full screen
            # the desktop shows around it.
            desktop = self.weston.screen()
            desktop.paste((0, 0, 0), place + (place[0] + frames.WIDTH, place[1] + frames.HEIGHT))
            self.assertIsNotNone(desktop.getbbox(), "%s: still black around the frame at %s"
                                 % (keys, place))
            self.weston.press(keys)
            self.wait_shown(game, "title", what="%s back to full screen" % keys)
            around = self.weston.screen()
            around.paste((0, 0, 0), CENTRED + (CENTRED[0] + frames.WIDTH,
                                               CENTRED[1] + frames.HEIGHT))
            self.assertIsNone(around.getbbox(), "%s: full screen again, but not black around "
                              "the frame" % keys)
        self.assertEqual(0, game.quit(), game.stderr())


class FocusAwayAndBack(WaylandTest):
    def test_minimised_while_away_whole_when_back_without_a_click(self):
        game = self.start()
        self.wait_shown(game, "title", what="at start")
        other = start(["weston-flower"], env=self.weston.client_env(),
                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.others.append(other)
        gone = wait_until(lambda: find_frame(self.weston.screen(), reference("title")) is None, 10)
        self.assertTrue(gone, "another window took the focus, yet the game still shows")
        # Minimised, it waits for events: its share of a core stays far
        # below 2 % however busy the machine (an idle wait costs no more
        # time on a processor when the machine is loaded).
        time.sleep(0.5)
        cpu0, t0 = cpu_seconds(game.process.pid), time.monotonic()
        time.sleep(3)
        share = (cpu_seconds(game.process.pid) - cpu0) / (time.monotonic() - t0)
        self.assertLess(share, 0.02, "minimised, the game used %.1f %% of a core" % (share * 100))
        self.weston.switch_to_next_window()
        self.wait_shown(game, "title", what="back through the window switcher, no click")
        self.weston.press("space")
        self.wait_shown(game, "play", what="Space after coming back")
        self.assertEqual(0, game.quit(), game.stderr())


class BothDisplays(WaylandTest):
    def x_window(self, game):
        env = self.weston.x_env()
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", TITLE], env=env,
                               capture_output=True, text=True, timeout=30).stdout.split()
        return found or None

    def test_wayland_when_asked_x11_by_default(self):
        both = {"DISPLAY": self.xvfb.display}
        game = self.start(env=dict(both, SDL_VIDEODRIVER="wayland"))
        self.wait_shown(game, "title", what="SDL_VIDEODRIVER=wayland")
        self.assertIsNone(self.x_window(game), "SDL_VIDEODRIVER=wayland opened an X11 window")
        self.assertEqual(0, game.quit(), game.stderr())
        # Last: a full-screen X11 window takes the X keyboard focus with it
        # when it goes.
        game = self.start(env=both)
        self.assertTrue(wait_until(lambda: self.x_window(game), 20),
                        "with DISPLAY and WAYLAND_DISPLAY set, no X11 window appeared")


if __name__ == "__main__":
    unittest.main()
