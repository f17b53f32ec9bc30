"""Runs the native velmora in a real SDL window on an Xvfb of a chosen size,
presses real keys with xdotool and reads back what an X client sees."""

import os
import re
import shutil
import subprocess
import tempfile
import time

from PIL import Image

from velmora_test import headless, images
from velmora_test.frames import FPS_BOX, TITLE
from velmora_test.processes import stop_process
from velmora_test.waiting import wait_until

BINARY = os.environ["VELMORA_BIN"]


class Game:
    """One run of velmora on an Xvfb, with a home and config folder of its own."""

    def __init__(self, xvfb, args=(), home=None, env=None):
        self.xvfb = xvfb
        self.home = home or tempfile.mkdtemp(prefix="velmora-player-")
        self.stderr_path = os.path.join(self.home, "stderr.txt")
        self.env = dict(os.environ)
        for name in ("WAYLAND_DISPLAY", "VELMORA_VIDEO", "VELMORA_WINDOWED", "SDL_VIDEODRIVER"):
            self.env.pop(name, None)
        self.env.update({
            "DISPLAY": xvfb.display,
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, "config"),
            "VELMORA_SCREENSHOT_DIR": os.path.join(self.home, "shots"),
            # The software renderer: the same picture on every machine.
            "SDL_RENDER_DRIVER": "software",
        })
        self.env.update(env or {})
        with open(self.stderr_path, "w") as stderr:
            self.process = subprocess.Popen([BINARY] + list(args), env=self.env,
                                            stdout=subprocess.DEVNULL, stderr=stderr)
        self.window = wait_until(self._find_window, 20)
        if not self.window:
            self.stop()
            raise AssertionError("no window appeared (exit status %s); standard error:\n%s"
                                 % (self.process.poll(), self.stderr()))
        # Keys sent before the first frames can reach a window SDL is still
        # setting up: wait until the game draws.
        wait_until(self._drawing, 10)
        time.sleep(0.3)

    def _drawing(self):
        place = self.geometry()
        if not place:
            return False
        x, y, width, height = place
        return self.screen().crop((x, y, x + width, y + height)).getbbox() is not None

    def _run(self, *command):
        return subprocess.run(command, env=self.env, capture_output=True, text=True, timeout=30)

    def _find_window(self):
        if self.process.poll() is not None:
            return None
        found = self._run("xdotool", "search", "--onlyvisible", "--name", TITLE).stdout.split()
        return found[-1] if found else None

    def geometry(self):
        """x, y, width, height of the window as X reports it."""
        # SDL may make its window anew once the renderer is chosen: ask by name.
        self.window = self._find_window() or self.window
        info = self._run("xwininfo", "-id", self.window).stdout
        if "Absolute" not in info:
            return None
        numbers = [int(re.search(pattern + r":\s+(-?\d+)", info).group(1))
                   for pattern in ("Absolute upper-left X", "Absolute upper-left Y", "Width",
                                   "Height")]
        return tuple(numbers)

    def wait_geometry(self, expected, timeout=10):
        wait_until(lambda: self.geometry() == expected, timeout)
        return self.geometry()

    def key(self, *keys):
        """Presses and releases, held long enough for a frame to see it."""
        place = self.geometry()
        if place:
            x, y, width, height = place
            self._run("xdotool", "mousemove", str(x + width // 2), str(y + height // 2))
        for key in keys:
            self._run("xdotool", "keydown", key)
            time.sleep(0.15)
            self._run("xdotool", "keyup", key)
            time.sleep(0.15)

    def screen(self):
        """The whole X screen as an RGB image."""
        path = os.path.join(self.home, "screen.png")
        self._run("import", "-window", "root", path)
        with Image.open(path) as image:
            return image.convert("RGB").copy()

    def quit(self, timeout=20):
        self.key("Escape")
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.stop()
            return None

    def stop(self):
        stop_process(self.process)

    def stderr(self):
        with open(self.stderr_path) as handle:
            return handle.read()

    def cleanup(self):
        self.stop()
        shutil.rmtree(self.home, ignore_errors=True)


def title_reference():
    """The title frame, captured headless by the same binary."""
    return headless.run(BINARY, ["1 capture"], timeout=60).frame(2)


def picture_differences(screen, place, reference):
    """Pixels of the frame shown at place = (x, y, w, h) that differ from the
    reference enlarged to that size, apart from the FPS text. Returns the count
    and the first differing screen position."""
    x, y, width, height = place
    shown = screen.crop((x, y, x + width, y + height))
    expected = reference.resize((width, height), Image.NEAREST)
    fps_box = (0, 0, int(FPS_BOX[2] * width / reference.width) + 2,
               int(FPS_BOX[3] * height / reference.height) + 2)
    diffs = images.differences(shown, expected, ignore=(fps_box,))
    if not diffs:
        return 0, None
    return len(diffs), (x + diffs[0][0], y + diffs[0][1])


def picture_box(screen):
    """Where anything but black is on the screen: the frame, when it is the
    title (whose sky is not black) and the rest is black."""
    return screen.getbbox()


def black_outside(screen, place):
    """True when every screen pixel outside place is black."""
    x, y, width, height = place
    copy = screen.copy()
    copy.paste(Image.new("RGB", (width, height)), (x, y))
    return copy.getbbox() is None
