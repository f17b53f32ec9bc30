"""The player's Linux program under Xvfb: real windows, real keys."""

import configparser
import os
import signal
import subprocess
import unittest

from PIL import Image

import player_host
from player_host import Game
from velmora_test.waiting import wait_until
from velmora_test.xserver import XServer

REFERENCE = None


def reference():
    global REFERENCE
    if REFERENCE is None:
        REFERENCE = player_host.title_reference()
    return REFERENCE


class PlayerTest(unittest.TestCase):
    screen_size = (1024, 768)

    def setUp(self):
        self.xvfb = XServer.of_size(*self.screen_size)
        self.games = []

    def tearDown(self):
        for game in self.games:
            game.cleanup()
        self.xvfb.stop()

    def start(self, *args, **kwargs):
        game = Game(self.xvfb, args, **kwargs)
        self.games.append(game)
        return game

    def assertPictureWhole(self, game, place, what):
        def compare():
            count, first = player_host.picture_differences(game.screen(), place, reference())
            return (count, first) if count else None
        # Frames keep coming; wait for one drawn at the new size.
        still_wrong = not wait_until(lambda: compare() is None, 10) and compare()
        if still_wrong:
            shot = os.path.join(game.home, "failed.png")
            game.screen().save(shot)
            self.fail("%s: %d pixels of the frame at %s differ from the headless title, "
                      "first at %s" % (what, still_wrong[0], place, still_wrong[1]))


class FirstWindowFits800x600(PlayerTest):
    screen_size = (800, 600)

    def test_first_window(self):
        game = self.start("--window")
        self.assertEqual((80, 60, 640, 480), game.wait_geometry((80, 60, 640, 480)))
        self.assertPictureWhole(game, (80, 60, 640, 480), "800x600 screen")


class FirstWindowFits1920x1080(PlayerTest):
    screen_size = (1920, 1080)

    def test_first_window(self):
        game = self.start("--window")
        self.assertEqual((320, 60, 1280, 960), game.wait_geometry((320, 60, 1280, 960)))
        self.assertPictureWhole(game, (320, 60, 1280, 960), "first window on 1920x1080")


class FullscreenSwitch(PlayerTest):
    screen_size = (1024, 768)

    def test_alt_enter_there_and_back(self):
        # The first window on a 1024x768 screen fits as it is, centred.
        game = self.start("--window")
        window = (192, 144, 640, 480)
        self.assertEqual(window, game.wait_geometry(window))
        game.key("alt+Return")
        self.assertEqual((0, 0, 1024, 768), game.wait_geometry((0, 0, 1024, 768)),
                         "Alt+Enter did not make the window full screen")
        self.assertPictureWhole(game, (192, 144, 640, 480), "full screen after Alt+Enter")
        self.assertTrue(player_host.black_outside(game.screen(), (192, 144, 640, 480)),
                        "full screen has something other than black around the frame")
        game.key("alt+Return")
        self.assertEqual(window, game.wait_geometry(window),
                         "a second Alt+Enter did not bring the window back")
        self.assertPictureWhole(game, window, "window after Alt+Enter twice")
        self.assertEqual(0, game.quit(), game.stderr())

    def test_f11_switches_and_the_game_runs_on(self):
        game = self.start("--fullscreen")
        self.assertEqual((0, 0, 1024, 768), game.wait_geometry((0, 0, 1024, 768)))
        game.key("F11")
        self.assertEqual((192, 144, 640, 480), game.wait_geometry((192, 144, 640, 480)),
                         "F11 did not leave full screen")
        self.assertIsNone(game.process.poll(), "the game ended on F11")
        self.assertEqual(0, game.quit(), game.stderr())


class IntegerScaling(PlayerTest):
    screen_size = (1920, 1080)

    def test_full_screen_twice_not_two_and_a_quarter(self):
        game = self.start("--fullscreen")
        self.assertEqual((0, 0, 1920, 1080), game.wait_geometry((0, 0, 1920, 1080)))
        self.assertPictureWhole(game, (320, 60, 1280, 960), "integer scale at 1920x1080")
        self.assertTrue(player_host.black_outside(game.screen(), (320, 60, 1280, 960)))

    def test_no_integer_scale_fills_the_height(self):
        game = self.start("--fullscreen", "--no-integer-scale")
        self.assertEqual((0, 0, 1920, 1080), game.wait_geometry((0, 0, 1920, 1080)))
        # A scale of 2.25 has no single right nearest-neighbour picture to
        # compare with; where the frame lies is what this option decides.
        box = wait_until(lambda: player_host.picture_box(game.screen()) == (240, 0, 1680, 1080)
                         and (240, 0, 1680, 1080), 10)
        self.assertEqual((240, 0, 1680, 1080), box or player_host.picture_box(game.screen()))


class ScreenshotKey(PlayerTest):
    def test_print_screen_writes_the_frame(self):
        game = self.start("--window")
        game.wait_geometry((192, 144, 640, 480))
        self.assertPictureWhole(game, (192, 144, 640, 480), "before the screenshot")
        game.key("Print", "Print")
        folder = game.env["VELMORA_SCREENSHOT_DIR"]
        names = wait_until(lambda: sorted(os.listdir(folder)) if os.path.isdir(folder)
                           and len(os.listdir(folder)) == 2 else None, 10)
        self.assertTrue(names, "two presses, files: %s; stderr:\n%s"
                        % (os.listdir(folder) if os.path.isdir(folder) else None, game.stderr()))
        for name in names:
            self.assertRegex(name, r"^velmora-\d{8}-\d{6}(-\d+)?\.png$")
            self.assertIn(os.path.join(folder, name), game.stderr())
            with Image.open(os.path.join(folder, name)) as shot:
                self.assertEqual(("P", (640, 480)), (shot.mode, shot.size))
                rgb = shot.convert("RGB")
            count, first = player_host.picture_differences(rgb, (0, 0, 640, 480), reference())
            self.assertEqual(0, count, "%s differs from the headless title at %s" % (name, first))
        self.assertEqual(0, game.quit())

    def test_unwritable_folder_is_said_and_the_game_goes_on(self):
        game = self.start("--window", env={"VELMORA_SCREENSHOT_DIR": "/proc/velmora-shots"})
        game.wait_geometry((192, 144, 640, 480))
        game.key("Print")
        line = wait_until(lambda: [l for l in game.stderr().splitlines() if "screenshot" in l], 10)
        self.assertEqual(1, len(line or []), game.stderr())
        self.assertIn("no screenshot", line[0])
        self.assertIsNone(game.process.poll(), "the game ended")
        self.assertEqual(0, game.quit())


class SettingsRemembered(PlayerTest):
    screen_size = (1920, 1080)

    def test_window_place_comes_back_and_options_are_not_saved(self):
        game = self.start("--window", "--no-integer-scale")
        game.wait_geometry((320, 60, 1280, 960))
        subprocess.run(["xdotool", "windowsize", game.window, "800", "600"], env=game.env)
        subprocess.run(["xdotool", "windowmove", game.window, "100", "50"], env=game.env)
        game.wait_geometry((100, 50, 800, 600))
        self.assertEqual(0, game.quit(), game.stderr())
        ini = configparser.ConfigParser()
        ini.read(os.path.join(game.home, "config", "velmora", "velmora.ini"))
        # The place and size are the player's; --window and --no-integer-scale
        # were for that run only, so the defaults stay.
        self.assertEqual({"fullscreen": "1", "integer_scale": "1", "maximized": "0",
                          "width": "800", "height": "600", "x": "100", "y": "50"},
                         dict(ini["window"]))
        again = self.start("--window", "--no-integer-scale", home=game.home)
        self.assertEqual((100, 50, 800, 600), again.wait_geometry((100, 50, 800, 600)))
        # Scaling off: the 800x600 window is filled, not a 640x480 centred.
        box = wait_until(lambda: player_host.picture_box(again.screen()) == (100, 50, 900, 650)
                         and (100, 50, 900, 650), 10)
        self.assertEqual((100, 50, 900, 650), box or player_host.picture_box(again.screen()),
                         "the remembered window is not filled by the picture")
        self.assertEqual(0, again.quit())

    def test_damaged_file_is_ignored_with_one_line(self):
        first = self.start("--window")
        self.assertEqual(0, first.quit())
        path = os.path.join(first.home, "config", "velmora", "velmora.ini")
        with open(path, "wb") as handle:
            handle.write(b"\x00\xff garbage\nwidth=-3\n")
        again = self.start(home=first.home)
        # Defaults: full screen.
        self.assertEqual((0, 0, 1920, 1080), again.wait_geometry((0, 0, 1920, 1080)))
        lines = [l for l in again.stderr().splitlines() if "velmora.ini" in l]
        self.assertEqual(1, len(lines), again.stderr())
        self.assertIn("ignored", lines[0])
        self.assertEqual(0, again.quit())

    def switch_to_window(self, home=None):
        """A game started full screen, switched to its window with F11."""
        game = self.start(home=home)
        game.wait_geometry((0, 0, 1920, 1080))
        game.key("F11")
        self.assertEqual((320, 60, 1280, 960), game.wait_geometry((320, 60, 1280, 960)),
                         "F11 did not leave full screen")
        return game

    def saved_window(self, game):
        ini = configparser.ConfigParser()
        ini.read(os.path.join(game.home, "config", "velmora", "velmora.ini"))
        return dict(ini["window"]) if ini.has_section("window") else {}

    def test_a_signal_to_end_saves_the_choices(self):
        for sig in (signal.SIGHUP, signal.SIGQUIT, signal.SIGTERM, signal.SIGINT):
            game = self.switch_to_window()
            game.process.send_signal(sig)
            try:
                status = game.process.wait(20)
            except subprocess.TimeoutExpired:
                status = None
            self.assertEqual(0, status, "%s: %s" % (sig.name, game.stderr()))
            self.assertEqual("0", self.saved_window(game).get("fullscreen"),
                             "%s: the switch to a window was not saved" % sig.name)

    def test_the_x_server_gone_ends_the_game_with_the_choices_saved(self):
        game = self.switch_to_window()
        self.xvfb.stop()
        try:
            status = game.process.wait(20)
        except subprocess.TimeoutExpired:
            status = None
        # Xlib's way: its message naming the display, and status 1.
        self.assertEqual(1, status, game.stderr())
        self.assertIn(self.xvfb.display, game.stderr())
        self.assertEqual("0", self.saved_window(game).get("fullscreen"),
                         "the switch to a window was not saved")

    def test_command_line_overrides_the_file(self):
        first = self.start("--window")
        self.assertEqual(0, first.quit())
        again = self.start("--fullscreen", home=first.home)
        self.assertEqual((0, 0, 1920, 1080), again.wait_geometry((0, 0, 1920, 1080)))
        self.assertEqual(0, again.quit())


class QuietAndOptions(PlayerTest):
    def test_plain_run_is_quiet_and_verbose_is_not(self):
        quiet = self.start("--window")
        self.assertEqual(0, quiet.quit())
        self.assertNotIn("OK", quiet.stderr())
        loud = self.start("--window", "--verbose")
        self.assertEqual(0, loud.quit())
        self.assertEqual(11, loud.stderr().count(" OK\n"), loud.stderr())

    def test_bad_option_opens_no_window(self):
        env = dict(os.environ, DISPLAY=self.xvfb.display)
        done = subprocess.run([player_host.BINARY, "--scale", "0"], env=env, capture_output=True,
                              text=True, timeout=30)
        self.assertEqual(2, done.returncode)
        self.assertEqual(1, len(done.stderr.splitlines()), done.stderr)
        self.assertIn("--help", done.stderr)
        windows = subprocess.run(["xdotool", "search", "--name", player_host.TITLE], env=env,
                                 capture_output=True, text=True).stdout
        self.assertEqual("", windows)

    def test_scale_gives_that_window(self):
        game = self.start("--scale", "1")
        self.assertEqual((192, 144, 640, 480), game.wait_geometry((192, 144, 640, 480)))
        self.assertEqual(0, game.quit())


if __name__ == "__main__":
    unittest.main()
