"""The player's program on a real desktop: openbox on Xvfb, the window
manager's own controls, and the window's place across switches and runs."""

import os
import subprocess
import unittest

import player_host
from player_host import Game
from velmora_test import desktop, images
from velmora_test.frames import FPS_BOX
from velmora_test.processes import start, stop_process
from velmora_test.waiting import wait_until
from velmora_test.xserver import XServer

SCREEN = (1366, 768)
# The title at 1x, centred on the whole screen (full screen, integer scale).
CENTRED = (363, 144, 640, 480)
REFERENCE = []


def reference():
    if not REFERENCE:
        REFERENCE.append(player_host.title_reference())
    return REFERENCE[0]


class DesktopTest(unittest.TestCase):
    def setUp(self):
        self.xvfb = XServer.of_size(*SCREEN)
        self.wm = desktop.Openbox(self.xvfb)
        self.games = []
        self.others = []

    def tearDown(self):
        for game in self.games:
            game.cleanup()
        for other in self.others:
            stop_process(other)
        self.wm.stop()
        self.xvfb.stop()

    def start(self, *args, **kwargs):
        game = Game(self.xvfb, args, **kwargs)
        self.games.append(game)
        return game

    def run_tool(self, game, *command):
        subprocess.run(command, env=game.env, capture_output=True, timeout=30)

    def frame_place(self, game):
        """Where the window manager's frame of the game's window is."""
        x, y, _, _ = game.geometry()
        left, _, top, _ = desktop.frame_extents(self.xvfb.display, game.window)
        return (x - left, y - top)

    def wait_frame_place(self, game, place):
        wait_until(lambda: self.frame_place(game) == place, 10)
        return self.frame_place(game)

    def alt_tab(self, game):
        """Alt+Tab as a player presses it: Alt held until openbox shows its
        list of windows. A quick chord lets Alt go before a busy openbox has
        taken the keyboard, and it then waits for a release it never sees.
        Now and then openbox takes no notice of the Tab at all (no list, the
        focus stays): as a player would, the test lets Alt go and presses
        again."""
        for _ in range(3):
            self.run_tool(game, "xdotool", "keydown", "alt", "key", "Tab")
            listed = wait_until(lambda: subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--class", "OPENBOX_FOCUS_CYCLE_POPUP"],
                env=game.env, capture_output=True).stdout, 5)
            self.run_tool(game, "xdotool", "keyup", "alt")
            if listed:
                return
        self.fail("openbox showed no list of windows on Alt+Tab, pressed three times")

    def assertPictureWhole(self, game, place, what):
        def count():
            return player_host.picture_differences(game.screen(), place, reference())
        if not wait_until(lambda: count()[0] == 0, 10):
            shot = os.path.join(game.home, "failed.png")
            game.screen().save(shot)
            found, first = count()
            self.fail("%s: %d pixels of the frame at %s differ from the headless title, first "
                      "at %s (screen in %s)" % (what, found, place, first, shot))


class AltTabAway(DesktopTest):
    def test_full_screen_game_pauses_while_away_and_comes_back_whole(self):
        # Another program's window first; the game then opens in front of it.
        env = dict(os.environ, DISPLAY=self.xvfb.display)
        self.others.append(start(["xmessage", "-geometry", "+20+20", "another program"],
                                 env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        self.assertTrue(wait_until(lambda: subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--class", "xmessage"], env=env,
            capture_output=True).stdout, 10), "xmessage did not show")
        game = self.start()
        self.assertEqual((0, 0) + SCREEN, game.wait_geometry((0, 0) + SCREEN))
        self.alt_tab(game)
        self.assertTrue(wait_until(lambda: desktop.iconic(self.xvfb.display, game.window), 10),
                        "after Alt+Tab the full-screen game is not minimised (so not paused)")
        self.alt_tab(game)
        self.assertTrue(wait_until(lambda: not desktop.iconic(self.xvfb.display, game.window),
                                   10), "a second Alt+Tab did not bring the game back")
        self.assertEqual((0, 0) + SCREEN, game.wait_geometry((0, 0) + SCREEN))
        self.assertPictureWhole(game, CENTRED, "back after Alt+Tab")
        # Space still reaches the game: the title gives way to play.
        game.key("space")
        moved_on = wait_until(lambda: player_host.picture_differences(
            game.screen(), CENTRED, reference())[0] > 1000, 10)
        self.assertTrue(moved_on, "Space after coming back did not leave the title")
        self.assertEqual(0, game.quit(), game.stderr())


class WindowManagerControls(DesktopTest):
    def test_minimise_restore_maximise_close(self):
        game = self.start("--window")
        window = (364, 164, 640, 480)
        self.assertEqual(window, game.wait_geometry(window))
        hints = desktop.window_property(self.xvfb.display, game.window, "WM_NORMAL_HINTS")
        self.assertIn("minimum size: 640 by 480", hints or "",
                      "the window manager is not told the smallest size")
        self.run_tool(game, "xdotool", "windowminimize", game.window)
        self.assertTrue(wait_until(lambda: desktop.iconic(self.xvfb.display, game.window), 10))
        self.run_tool(game, "xdotool", "windowactivate", game.window)
        self.assertEqual(window, game.wait_geometry(window), "restored elsewhere")
        self.assertPictureWhole(game, window, "restored")
        self.run_tool(game, "wmctrl", "-i", "-r", game.window, "-b",
                      "add,maximized_vert,maximized_horz")
        state = wait_until(lambda: {"MAXIMIZED_VERT", "MAXIMIZED_HORZ"} <=
                           desktop.net_wm_state(self.xvfb.display, game.window), 10)
        self.assertTrue(state, "not maximised: %s"
                        % desktop.net_wm_state(self.xvfb.display, game.window))
        width, height = game.geometry()[2:]
        self.assertEqual(SCREEN[0], width, "a maximised window %dx%d" % (width, height))
        self.run_tool(game, "wmctrl", "-i", "-c", game.window)
        self.assertEqual(0, game.process.wait(20), game.stderr())

    def test_close_while_minimised_ends_the_game(self):
        # A minimised game has no focus window: the close must reach it anyway.
        game = self.start("--window")
        self.run_tool(game, "xdotool", "windowminimize", game.window)
        self.assertTrue(wait_until(lambda: desktop.iconic(self.xvfb.display, game.window), 10))
        self.run_tool(game, "wmctrl", "-i", "-c", game.window)
        self.assertEqual(0, game.process.wait(20), game.stderr())


class PlaceKept(DesktopTest):
    def test_switches_and_restarts_keep_the_frame_in_place(self):
        game = self.start()
        game.key("F11")
        game.wait_geometry((364, 164, 640, 480))
        self.run_tool(game, "xdotool", "windowmove", game.window, "200", "50")
        self.assertEqual((200, 50), self.wait_frame_place(game, (200, 50)))
        for switch in range(1, 11):
            game.key("F11")
            game.wait_geometry((0, 0) + SCREEN)
            game.key("F11")
            self.assertEqual((200, 50), self.wait_frame_place(game, (200, 50)),
                             "frame after switch %d to full screen and back" % switch)
        self.assertEqual(0, game.quit(), game.stderr())
        for run in range(1, 4):
            again = self.start(home=game.home)
            self.assertEqual((200, 50), self.wait_frame_place(again, (200, 50)),
                             "frame at restart %d" % run)
            self.assertEqual(0, again.quit(), again.stderr())

    def test_closed_maximised_opens_maximised(self):
        game = self.start("--window")
        game.key("F11", "F11")  # the player's choice: a window
        self.run_tool(game, "wmctrl", "-i", "-r", game.window, "-b",
                      "add,maximized_vert,maximized_horz")
        wait_until(lambda: "MAXIMIZED_VERT" in desktop.net_wm_state(self.xvfb.display,
                                                                    game.window), 10)
        self.assertEqual(0, game.quit(), game.stderr())
        again = self.start(home=game.home)
        state = wait_until(lambda: {"MAXIMIZED_VERT", "MAXIMIZED_HORZ"} <=
                           desktop.net_wm_state(self.xvfb.display, again.window), 10)
        self.assertTrue(state, "the restart is not maximised: %s, window at %s"
                        % (desktop.net_wm_state(self.xvfb.display, again.window),
                           again.geometry()))
        self.run_tool(again, "wmctrl", "-i", "-r", again.window, "-b",
                      "remove,maximized_vert,maximized_horz")
        self.assertEqual((364, 164, 640, 480), again.wait_geometry((364, 164, 640, 480)),
                         "unmaximised, the window is not where it was before")
        self.assertEqual(0, again.quit(), again.stderr())


class SecondScreenshotKey(DesktopTest):
    def test_f9_writes_the_frame(self):
        game = self.start("--window")
        self.assertPictureWhole(game, (364, 164, 640, 480), "before the screenshot")
        game.key("F9")
        folder = game.env["VELMORA_SCREENSHOT_DIR"]
        names = wait_until(lambda: os.path.isdir(folder) and os.listdir(folder), 10)
        self.assertTrue(names, "F9 wrote nothing; stderr:\n%s" % game.stderr())
        shot = images.load(os.path.join(folder, names[0]), (640, 480))
        count, first = player_host.picture_differences(shot, (0, 0, 640, 480), reference())
        self.assertEqual(0, count, "%s differs from the headless title at %s" % (names[0], first))
        self.assertEqual(0, game.quit(), game.stderr())


class ScreenshotNotice(DesktopTest):
    PLACE = (364, 164, 640, 480)

    def wait_notice(self, game):
        """The notice's pixels over the picture once it shows (FPS digits left out)."""
        x, y, width, height = self.PLACE

        def over_picture():
            shown = game.screen().crop((x, y, x + width, y + height))
            return images.differences(shown, reference(), ignore=(FPS_BOX,))
        def notice_shown():
            found = over_picture()
            return found if len(found) > 1000 else None
        drawn = wait_until(notice_shown, 5)
        self.assertTrue(drawn, "no notice over the picture after F9: %d pixels differ from the "
                        "title" % len(over_picture()))
        box = images.bounding_box(drawn)
        self.assertTrue(box[0] < 40 and box[1] > 400 and box[3] <= 480,
                        "the notice is at %s, expected in the picture's bottom-left" % (box,))

    def test_notice_on_the_window_never_in_the_png(self):
        game = self.start("--window")
        self.assertPictureWhole(game, self.PLACE, "before the screenshot")
        game.key("F9")
        self.wait_notice(game)
        folder = game.env["VELMORA_SCREENSHOT_DIR"]
        name = os.listdir(folder)[0]
        shot = images.load(os.path.join(folder, name), (640, 480))
        diffs = images.differences(shot, reference(), ignore=(FPS_BOX,))
        self.assertEqual(diffs, [], "%s is not the title frame:\n%s" %
                         (name, images.describe(diffs, "png", "title")))
        self.assertIn("velmora: screenshot %s" % os.path.join(folder, name), game.stderr())
        # Gone after about two seconds, the frame under it sent again.
        self.assertPictureWhole(game, self.PLACE, "after the notice")
        self.assertEqual(0, game.quit(), game.stderr())

    def test_a_screenshot_that_fails_says_why_on_the_picture(self):
        game = self.start("--window", env={"VELMORA_SCREENSHOT_DIR": "/proc/velmora-shots"})
        self.assertPictureWhole(game, self.PLACE, "before the screenshot")
        game.key("F9")
        self.wait_notice(game)
        self.assertIn("velmora: no screenshot: cannot make /proc/velmora-shots", game.stderr())
        self.assertPictureWhole(game, self.PLACE, "after the notice")
        self.assertEqual(0, game.quit(), game.stderr())


if __name__ == "__main__":
    unittest.main()
