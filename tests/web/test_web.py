"""The browser build in headless chromium, against the native build.

The page's canvas must show, pixel for pixel, the frames the native build
captures headless of the same moments (the FPS text apart); the keys must
reach the game as they do natively; the end of the game must be said on the
page. Screenshots of what a person sees are left in the work folder.

Environment: VELMORA_BIN (the native build), VELMORA_WEB_DIR (the web preset's
build folder), VELMORA_WEB_WORK (a folder for captures and screenshots).
"""

import gzip
import json
import os
import re
import shutil
import subprocess
import sys
import time
import unittest
import urllib.error
import urllib.request

from PIL import Image

from velmora_test import Failure, devtools, frames, headless, images, processes
from velmora_test.frames import PROGRESS as PROGRESS_LINES
from velmora_test.waiting import wait_until

FRAME_WAIT = 20  # seconds


def required(name):
    value = os.environ.get(name)
    if not value:
        raise unittest.SkipTest("%s is not set; run through ctest" % name)
    return value


class WebPage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.web_dir = required("VELMORA_WEB_DIR")
        cls.work = required("VELMORA_WEB_WORK")
        for name in ("velmora.html", "velmora-page.js", "velmora.js", "velmora.wasm"):
            if not os.path.exists(os.path.join(cls.web_dir, name)):
                raise Failure(
                    "%s is missing from the web build; build it first: cmake --preset web && "
                    "cmake --build --preset web" % name)
        os.makedirs(cls.work, exist_ok=True)
        cls.native = headless.reference_frames(required("VELMORA_BIN"),
                                                 os.path.join(cls.work, "native"))
        cls.sprite = frames.ball_pixels(cls.native["play"], *frames.BALL_START)

    def setUp(self):
        self.server = devtools.Server(self.web_dir)
        self.browser = devtools.Browser()
        self.addCleanup(self.server.stop)
        self.addCleanup(self.browser.stop)
        self.browser.open(self.server.url + "velmora.html")

    # ---- helpers ----

    def state(self):
        return self.browser.page_state()

    def wait_for_frames(self, count, why):
        """Waits until `count` more frames have been presented."""
        start = self.state().get("frames", 0)
        if not wait_until(lambda: self.state().get("frames", 0) >= start + count,
                                   FRAME_WAIT):
            self.fail("%s: the page presented %s frames in %d s, expected %d more than %d "
                      "(page state %s)" % (why, self.state().get("frames"), FRAME_WAIT, count,
                                           start, self.state()))

    def expect_canvas(self, name, expected):
        """Waits until the canvas equals `expected` below the FPS text."""
        last = {}

        def matches():
            last["canvas"] = self.browser.canvas()
            last["diffs"] = frames.differences(last["canvas"], expected)
            return not last["diffs"]

        if wait_until(matches, FRAME_WAIT, step=0.1):
            return last["canvas"]
        path = os.path.join(self.work, "diff-%s.png" % self.id().split(".")[-1])
        images.save_marked(path, last["canvas"], last["diffs"])
        self.fail("the %s frame on the page differs from the native one (marked in %s):\n%s" %
                  (name, path, images.describe(last["diffs"], "page", "native")))

    def press(self, key):
        """Down for a few frames, then up: a press the game cannot miss."""
        self.browser.key(key, True)
        self.wait_for_frames(3, "holding %s" % key)
        self.browser.key(key, False)

    def to_play(self):
        self.wait_for_frames(2, "the title")
        self.press("SPACE")
        return self.expect_canvas("first play", self.native["play"])

    def ball(self):
        canvas = self.browser.canvas()
        where = frames.locate_ball(canvas, self.native["play"], self.sprite)
        self.assertIsNotNone(where, "the ball is nowhere on the canvas")
        return where

    def hold_until(self, key, condition, what):
        self.browser.key(key, True)
        try:
            seen = []

            def reached():
                seen.append(self.ball())
                return condition(seen[-1])

            self.assertTrue(wait_until(reached, FRAME_WAIT, step=0.05),
                            "%s held for %d s: %s never happened; the ball was at %s" %
                            (key, FRAME_WAIT, what, seen[-3:]))
            return seen[-1]
        finally:
            self.browser.key(key, False)

    def reopen(self, width=None, height=None, mobile=False, touch=False):
        """The page loaded anew, on a screen of this size (a phone's when mobile) if given."""
        if width:
            self.browser.viewport(width, height, mobile, touch)
        self.browser.evaluate("window.velmoraBefore = true")
        self.browser.call("Page.reload")
        self.assertTrue(wait_until(lambda: self.browser.evaluate(
            "!window.velmoraBefore && window.velmora && window.velmora.frames > 1"), FRAME_WAIT),
            "the page reloaded (screen %sx%s) shows no frames: %s; console %s" %
            (width, height, self.state(), self.browser.console[-5:]))

    def canvas_box(self):
        box = json.loads(self.browser.evaluate(
            "JSON.stringify(document.getElementById('screen').getBoundingClientRect())"))
        return box["x"], box["y"], box["width"], box["height"]

    def fullscreen(self):
        return self.browser.evaluate("document.fullscreenElement !== null")

    def shot(self, name):
        return self.browser.screenshot(os.path.join(self.work, name + ".png"))

    # ---- the tests ----

    def test_title_and_first_play_frame_equal_native(self):
        self.wait_for_frames(2, "the first frames")
        self.expect_canvas("title", self.native["title"])
        self.shot("title")
        self.to_play()
        self.shot("play")
        self.assertEqual(self.state()["state"], "running")

    def test_debug_output_goes_to_the_console(self):
        self.wait_for_frames(2, "the first frames")
        progress = [line for line in self.browser.console if line in PROGRESS_LINES]
        self.assertEqual(progress, PROGRESS_LINES,
                         "console lines: %s" % self.browser.console[:20])

    def test_arrows_move_the_ball(self):
        self.to_play()
        x0, y0 = frames.BALL_START
        right = self.hold_until("RIGHT", lambda at: at[0] > x0 + 4, "a move right")
        self.assertEqual(right[1], y0,
                         "Right moved the ball from row %d to row %d" % (y0, right[1]))
        up = self.hold_until("UP", lambda at: at[1] < y0 - 4, "a move up")
        self.assertEqual(up[0], self.ball()[0], "Up moved the ball sideways")
        left = self.hold_until("LEFT", lambda at: at[0] < up[0] - 4, "a move left")
        down = self.hold_until("DOWN", lambda at: at[1] > left[1] + 4, "a move down")
        self.assertLess(down[1] - left[1], 200, "Down moved the ball %d rows" % (down[1] - left[1]))

    def test_s_returns_to_the_title(self):
        self.to_play()
        self.press("S")
        self.expect_canvas("title after S", self.native["title"])

    def test_f12_ends_the_game(self):
        self.wait_for_frames(2, "the title")
        self.browser.key("F12", True)
        self.browser.key("F12", False)
        self.assertTrue(wait_until(lambda: self.state().get("state") == "ended",
                                            FRAME_WAIT),
                        "the page still says %s after F12" % self.state())
        self.assertEqual(self.state()["exitStatus"], 0)

    def test_game_keys_do_not_reach_the_page(self):
        self.to_play()
        self.browser.evaluate(
            "window.seenKeys = []; window.addEventListener('keydown', "
            "(e) => seenKeys.push([e.code, e.defaultPrevented]))")
        for key in ("LEFT", "RIGHT", "UP", "DOWN", "SPACE"):
            self.browser.key(key, True)
            self.browser.key(key, False)
        seen = self.browser.evaluate("JSON.stringify(seenKeys)")
        codes = [code for code, prevented in json.loads(seen) if not prevented]
        self.assertEqual(codes, [], "keys the browser would still act on (scroll): %s" % codes)
        self.assertEqual(self.browser.evaluate("window.scrollY"), 0)

    def test_escape_ends_the_game_and_the_page_offers_a_new_one(self):
        self.to_play()
        self.browser.key("ESCAPE", True)
        self.browser.key("ESCAPE", False)
        self.assertTrue(wait_until(lambda: self.state().get("state") == "ended",
                                            FRAME_WAIT),
                        "the page still says %s after Escape" % self.state())
        self.assertEqual(self.state()["exitStatus"], 0)
        text = self.browser.evaluate(
            "document.getElementById('status').hidden ? '' : "
            "document.getElementById('status-text').textContent")
        self.assertEqual(text, "The game has ended.")
        self.assertFalse(self.browser.evaluate("document.getElementById('restart').hidden"),
                         "no button to start again")
        self.shot("ended")
        self.browser.evaluate("document.getElementById('restart').click()")
        self.assertTrue(wait_until(
            lambda: self.state().get("state") == "running" and self.state().get("frames", 0) > 2,
            FRAME_WAIT), "the game did not start again: %s" % self.state())
        self.expect_canvas("title after a new start", self.native["title"])

    def expect_no_frames(self, why):
        # The game sees the page's event at its next poll, which a slow
        # machine makes late: from then on no frame comes for 1.2 s, longer
        # than a hidden tab's timer throttling (one wake a second), so a
        # game that was not minimised shows at least one.
        counts = []

        def quiet():
            before = self.state()["frames"]
            time.sleep(1.2)
            counts.append(self.state()["frames"] - before)
            return counts[-1] == 0

        self.assertTrue(wait_until(quiet, FRAME_WAIT),
                        "%s: frames kept coming for %d s (%s in each 1.2 s), expected none" %
                        (why, FRAME_WAIT, counts))

    def test_lost_focus_stops_frames_until_it_comes_back(self):
        self.to_play()
        self.browser.evaluate("window.dispatchEvent(new Event('blur'))")
        self.expect_no_frames("the page lost the focus")
        self.browser.evaluate("window.dispatchEvent(new Event('focus'))")
        self.wait_for_frames(3, "back after a minimise")
        # Every surface was lost and restored: the picture must be whole again.
        self.expect_canvas("play after a restore", self.native["play"])

    def test_hidden_tab_stops_frames_until_it_is_shown(self):
        self.to_play()
        tab = self.browser.hide()
        self.assertEqual(self.browser.evaluate("document.visibilityState"), "hidden")
        self.expect_no_frames("the tab was hidden")
        self.browser.show(tab)
        self.wait_for_frames(3, "the tab shown again")
        self.expect_canvas("play after the tab came back", self.native["play"])

    def saved_recording(self):
        """The recording the page's button saves, as the browser downloads it."""
        folder = os.path.join(self.work, "downloads")
        os.makedirs(folder, exist_ok=True)
        for name in os.listdir(folder):
            os.remove(os.path.join(folder, name))
        self.browser.call("Page.setDownloadBehavior", behavior="allow", downloadPath=folder)
        self.browser.click("#save-recording")

        def saved():
            names = [n for n in os.listdir(folder) if re.match(r"^velmora-[0-9-]+\.txt$", n)]
            return names and os.path.join(folder, names[0])

        path = wait_until(saved, FRAME_WAIT)
        self.assertTrue(path, "the button saved nothing; %s holds %s" % (folder,
                                                                         os.listdir(folder)))
        with open(path) as handle:
            return handle.read()

    def test_a_recording_saved_here_replays_natively_frame_for_frame(self):
        self.to_play()
        self.hold_until("RIGHT", lambda at: at[0] >= frames.BALL_START[0] + 12, "12 px right")
        self.hold_until("UP", lambda at: at[1] <= frames.BALL_START[1] - 6, "6 px up")
        time.sleep(1.1)  # the counter shows this page's own frames per second
        # Minimised, the game stops on its last frame: that one is compared.
        self.browser.evaluate("window.dispatchEvent(new Event('blur'))")
        self.expect_no_frames("the page lost the focus")
        shown = self.browser.canvas()
        self.shot("recorded")
        text = self.saved_recording()
        self.assertTrue(text.startswith("velmora-script 1"), text[:100])
        last = int(re.search(r"^(\d+) minimize$", text, re.M).group(1))
        # The native replay captures the frame the page was left showing.
        lines = text.splitlines()
        at = next(i for i, line in enumerate(lines) if i > 0 and int(line.split()[0]) >= last)
        lines.insert(at, "%d capture" % (last - 1))
        folder = os.path.join(self.work, "replay")
        shutil.rmtree(folder, ignore_errors=True)
        replay = headless.run(required("VELMORA_BIN"), lines, timeout=60, folder=folder)
        self.assertEqual(0, replay.status, replay.stderr)
        self.assertIn(last, replay.captures, "captured %s" % sorted(replay.captures))
        diffs = images.differences(replay.frame(last), shown)
        if diffs:
            path = images.save_marked(os.path.join(self.work, "diff-replay.png"), shown, diffs)
            x, y, replayed, seen = diffs[0]
            self.fail("the native replay's frame %d differs at %d,%d: %s vs %s on the page "
                      "(%d pixels, marked in %s)" % (last, x, y, replayed, seen, len(diffs), path))

    def test_page_says_the_keys_and_when_it_lacks_the_keyboard(self):
        self.wait_for_frames(2, "the title")
        self.assertEqual(self.browser.evaluate("document.querySelector('h1').textContent"),
                         "Velmora")
        about = self.browser.evaluate("document.getElementById('about').innerText")
        self.assertIn("game", about, "the line under the name does not say what Velmora is")
        keys = self.browser.evaluate("document.getElementById('keys').innerText")
        for word in ("Space", "arrows", "S", "Esc", "F11", "Alt+Enter"):
            self.assertIn(word, keys, "the keys line does not name %s" % word)
        hint = "document.getElementById('hint').hidden"
        self.assertTrue(self.browser.evaluate(hint), "a focus hint while the page has the keys")
        self.browser.evaluate("window.dispatchEvent(new Event('blur'))")
        self.assertFalse(self.browser.evaluate(hint), "no focus hint once the focus went")
        self.shot("focus-hint")
        self.browser.evaluate("window.dispatchEvent(new Event('focus'))")
        self.assertTrue(self.browser.evaluate(hint), "the focus hint stays with the focus back")

    def test_f11_alt_enter_and_the_button_switch_full_screen(self):
        self.to_play()
        self.browser.key("F11", True)
        self.browser.key("F11", False)
        self.assertTrue(wait_until(self.fullscreen, FRAME_WAIT), "F11 left the page in a window")
        self.shot("fullscreen")
        x0, y0 = frames.BALL_START
        self.hold_until("RIGHT", lambda at: at[0] > x0 + 4, "a move right in full screen")
        self.browser.key("ENTER", True, devtools.ALT)
        self.browser.key("ENTER", False, devtools.ALT)
        self.assertTrue(wait_until(lambda: not self.fullscreen(), FRAME_WAIT),
                        "Alt+Enter left the page full screen")
        self.assertTrue(wait_until(lambda: self.browser.evaluate(
            "document.getElementById('fullscreen').offsetWidth > 0"), FRAME_WAIT),
            "no Full screen button on the page out of full screen")
        self.browser.click("#fullscreen")
        self.assertTrue(wait_until(self.fullscreen, FRAME_WAIT),
                        "the Full screen button left the page in a window")

    def test_picture_is_a_whole_multiple_unless_set_to_fill(self):
        for width, height, expected in ((1280, 800, 1), (1920, 1080, 2)):
            self.reopen(width, height)
            self.assertEqual(self.canvas_box()[2:], (640 * expected, 480 * expected),
                             "the picture's size in a %dx%d window" % (width, height))
            shot = images.load(self.shot("desktop-%dx%d" % (width, height)))
        # Each source pixel a sharp 2x2 block: the screen shows the canvas
        # scaled by repeating pixels, nothing blended (the FPS text apart).
        x, y = int(self.canvas_box()[0]), int(self.canvas_box()[1])
        shown = shot.crop((x, y, x + 1280, y + 960))
        scaled = self.browser.canvas().resize((1280, 960), Image.NEAREST)
        diffs = images.differences(shown, scaled, ignore=((0, 0, 160, 40),))
        self.assertEqual(diffs, [], images.describe(diffs, "screen", "canvas x2"))
        self.browser.click("#fill")
        self.reopen(1920, 1080)
        _, _, shown_width, shown_height = self.canvas_box()
        self.assertGreater(shown_height, 960, "Fill, kept across a reload, left the picture at "
                           "%dx%d" % (shown_width, shown_height))
        self.assertAlmostEqual(shown_width / shown_height, 4 / 3, places=2)

    def first_move(self, start, what):
        """The ball's first move from `start` as (across, down), the field's wrap allowed for."""
        at = wait_until(lambda: (lambda at: at if at != start else None)(self.ball()),
                        FRAME_WAIT, step=0.02)
        self.assertIsNotNone(at, "%s: the ball stayed at %s" % (what, start))
        return (frames.field_step(start[0], at[0], *frames.FIELD_X),
                frames.field_step(start[1], at[1], *frames.FIELD_Y))

    def speed(self, what):
        """Pixels a frame the ball moves across over 30 frames (the wrap allowed for)."""
        self.wait_for_frames(2, what)
        frames0, x0 = self.state()["frames"], self.ball()[0]
        self.wait_for_frames(30, what)
        frames1, x1 = self.state()["frames"], self.ball()[0]
        return frames.field_step(x0, x1, *frames.FIELD_X) / (frames1 - frames0)

    def touch_button(self, label):
        return self.browser.centre("#touch [aria-label=%s]" % label)

    def test_touch_pad_moves_the_ball_as_the_arrow_keys_do(self):
        self.reopen(844, 390, mobile=True, touch=True)
        self.shot("phone-landscape")
        self.reopen(390, 844, mobile=True, touch=True)
        space = self.touch_button("Space")
        self.browser.touch("touchStart", [space])
        self.wait_for_frames(3, "Space touched")
        self.browser.touch("touchEnd", [])
        self.expect_canvas("first play", self.native["play"])
        self.shot("phone-portrait")
        x0, y0 = frames.BALL_START
        right, down = self.touch_button("Right"), self.touch_button("Down")
        self.browser.touch("touchStart", [right])
        across, fall = self.first_move(frames.BALL_START, "a touch held on Right")
        self.assertTrue(across > 0 and fall == 0,
                        "a touch on Right moved the ball by %s, expected right only" %
                        ((across, fall),))
        touched = self.speed("Right touched")
        self.browser.touch("touchEnd", [])
        self.browser.key("RIGHT", True)
        pressed = self.speed("Right pressed")
        self.browser.key("RIGHT", False)
        self.assertAlmostEqual(touched, pressed, delta=0.1 * abs(pressed),
                               msg="a touch on Right moved the ball %.2f pixels a frame, the "
                               "key %.2f" % (touched, pressed))
        # A second finger on Down while the first stays: both keys held.
        self.browser.touch("touchStart", [right, down])
        self.wait_for_frames(2, "Right and Down touched")
        across, fall = self.first_move(self.ball(), "Right and Down touched")
        self.assertTrue(across > 0 and fall > 0, "Right and Down touched together moved the "
                        "ball by %s, expected right and down" % ((across, fall),))
        self.browser.touch("touchEnd", [])
        self.wait_for_frames(2, "the touches lifted")
        still = self.ball()
        self.wait_for_frames(5, "nothing touched")
        self.assertEqual(self.ball(), still, "the ball moved with no touch on the pad")
        # The other controls are found by their keys' names too (centre() fails if not).
        for label in ("Left", "Up", "S", "Escape"):
            self.touch_button(label)

    def turn_invited(self):
        return self.browser.evaluate("!document.getElementById('turn').hidden")

    def test_phone_controls_fit_a_finger_and_upright_invites_turning(self):
        self.reopen(844, 390, mobile=True, touch=True)
        self.shot("phone-landscape-controls")
        small = json.loads(self.browser.evaluate("""JSON.stringify(
            [...document.querySelectorAll('button, label')]
              .filter((e) => e.getClientRects().length > 0)
              .map((e) => [e.getAttribute('aria-label') || e.textContent.trim(),
                           e.getBoundingClientRect().width, e.getBoundingClientRect().height])
              .filter(([, width, height]) => width < 44 || height < 44))"""))
        self.assertEqual(small, [], "controls (name, width, height) smaller than 44 x 44 CSS px "
                         "on a phone on its side")
        self.assertFalse(self.turn_invited(), "on its side, the page still asks to turn it")
        # Upright, a phone draws the 8-pixel ball smaller than 8 CSS px; a
        # tablet does not.
        for width, height, invited in ((390, 844, True), (800, 1280, False)):
            self.reopen(width, height, mobile=True, touch=True)
            self.shot("upright-%dx%d" % (width, height))
            ball = 8 * self.canvas_box()[2] / 640
            self.assertEqual(self.turn_invited(), invited,
                             "upright at %dx%d, the ball drawn %.1f CSS px: invited to turn: %s"
                             % (width, height, ball, self.turn_invited()))

    def pad(self, button=None, pressed=True, axes=(0, 0)):
        """The gamepad faked in the page: one button pressed or let go, the left stick."""
        if button is not None:
            self.browser.evaluate("fakePad.buttons[%d].pressed = %s" %
                                  (button, "true" if pressed else "false"))
        self.browser.evaluate("fakePad.axes = [%f, %f, 0, 0]" % axes)

    def test_gamepad_plays_as_the_native_mapping_says(self):
        self.wait_for_frames(2, "the title")
        self.browser.evaluate(
            "window.fakePad = {id: 'fake', index: 0, connected: true, mapping: 'standard', "
            "axes: [0, 0, 0, 0], buttons: Array.from({length: 17}, () => ({pressed: false}))};"
            "Object.defineProperty(navigator, 'getGamepads', {value: () => [fakePad]});"
            "window.dispatchEvent(new Event('gamepadconnected'))")
        self.pad(0)  # A
        self.wait_for_frames(3, "A held")
        self.pad(0, False)
        self.expect_canvas("first play after A", self.native["play"])
        for button, axes, expected, what in ((15, (0, 0), (1, 0), "d-pad right"),
                                             (None, (0, -1), (0, -1), "the stick up")):
            start = self.ball()
            self.pad(button, True, axes)
            move = self.first_move(start, what)
            self.pad(button, False)
            self.wait_for_frames(3, "%s let go" % what)
            self.assertEqual(tuple((d > 0) - (d < 0) for d in move), expected,
                             "%s moved the ball by %s" % (what, move))
        self.pad(1)  # B
        self.expect_canvas("title after B", self.native["title"])

    def test_plays_offline_after_one_visit_and_is_installable(self):
        self.wait_for_frames(2, "the first visit")
        controlled = "navigator.serviceWorker.controller !== null"
        self.assertTrue(wait_until(lambda: self.browser.evaluate(controlled), FRAME_WAIT),
                        "no service worker controls the page after its first visit")
        errors = self.browser.call("Page.getInstallabilityErrors")["installabilityErrors"]
        self.assertEqual(errors, [], "chromium finds the page not installable")
        self.browser.call("Network.enable")
        self.browser.call("Network.emulateNetworkConditions", offline=True, latency=0,
                          downloadThroughput=-1, uploadThroughput=-1)
        self.server.stop()
        self.reopen()
        self.assertTrue(self.browser.evaluate(controlled), "offline, no service worker answered")
        self.expect_canvas("title offline", self.native["title"])
        self.to_play()

class PreviewServer(unittest.TestCase):
    """scripts/serve_web.py, which serve-web.sh runs on the build folder."""

    def test_serves_the_page_and_nothing_else(self):
        folder = required("VELMORA_WEB_DIR")
        script = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "serve_web.py")
        server = processes.start([sys.executable, script, folder, "0"], stdout=subprocess.PIPE,
                                 text=True)
        self.addCleanup(processes.stop_process, server)
        address = server.stdout.readline().split()[-4]
        self.assertRegex(address, r"^http://127\.0\.0\.1:\d+/$", "the address it says")

        def get(name, **headers):
            try:
                with urllib.request.urlopen(urllib.request.Request(address + name,
                                                                   headers=headers)) as answer:
                    return answer.status, answer.headers, answer.read()
            except urllib.error.HTTPError as error:
                return error.code, error.headers, b""

        with open(os.path.join(folder, "velmora.html"), "rb") as page:
            self.assertEqual(get("")[2], page.read(), "/ is not the page")
        for name in ("CMakeCache.txt", "compile_commands.json", "velmora.html.gz", "../"):
            self.assertEqual(get(name)[0], 404, "%s is served from the build folder" % name)
        status, headers, body = get("velmora.wasm", **{"Accept-Encoding": "gzip"})
        self.assertEqual((status, headers.get("Content-Encoding")), (200, "gzip"),
                         "velmora.wasm to a browser that takes gzip")
        with open(os.path.join(folder, "velmora.wasm"), "rb") as wasm:
            self.assertEqual(gzip.decompress(body), wasm.read(),
                             "velmora.wasm sent gzip (%s) is not the built file" %
                             headers.get("Content-Encoding"))
        self.assertLess(len(body), os.path.getsize(os.path.join(folder, "velmora.wasm")) // 3)

if __name__ == "__main__":
    unittest.main()
