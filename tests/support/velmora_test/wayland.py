"""A Wayland desktop of a test's own: weston on its X11 back end, shown in a
window of a test's X server (the pixman renderer: no GPU needed), so that
xdotool's keys on that window reach weston's seat and what weston shows can
be read off the X screen.

Weston's headless back end has no seat, which SDL 2.26 does not survive;
the X11 back end takes the keyboard and pointer of its X server."""

import os
import shutil
import subprocess
import tempfile
import time

from PIL import Image

from . import Failure
from .processes import start, stop_process
from .waiting import wait_until

SOCKET = "velmora-wayland-0"


class Weston:
    """weston with the desktop shell on `xserver`, its output a window of
    width x height at the screen's top-left, listening on a socket in a
    runtime folder of its own until stop()."""

    def __init__(self, xserver, width, height):
        self.display = xserver.display
        self.size = (width, height)
        self.home = tempfile.mkdtemp(prefix="velmora-weston-")
        self.runtime = os.path.join(self.home, "runtime")
        os.mkdir(self.runtime, 0o700)
        self.log = os.path.join(self.home, "weston.log")
        # No user's weston.ini comes along: an empty config folder.
        env = dict(os.environ, DISPLAY=self.display, XDG_RUNTIME_DIR=self.runtime,
                   XDG_CONFIG_HOME=os.path.join(self.home, "config"))
        env.pop("WAYLAND_DISPLAY", None)
        with open(self.log, "w") as log:
            self.process = start(["weston", "--backend=x11-backend.so", "--use-pixman",
                                  "--width=%d" % width, "--height=%d" % height,
                                  "--socket=" + SOCKET, "--idle-time=0"],
                                 env=env, stdout=log, stderr=subprocess.STDOUT)
        if not wait_until(self._showing, 30):
            self.stop()
            raise Failure("weston did not show its desktop within 30 s; its log:\n%s"
                          % self.read_log())

    def _showing(self):
        if self.process.poll() is not None:
            raise Failure("weston ended at start with status %s; its log:\n%s"
                          % (self.process.returncode, self.read_log()))
        # The shell draws its background and panel once it is up.
        return (os.path.exists(os.path.join(self.runtime, SOCKET)) and
                self.screen().getbbox() is not None)

    def client_env(self, base=None):
        """The environment of a Wayland client of this weston: no DISPLAY, so
        nothing can fall back to X11."""
        env = dict(base if base is not None else os.environ, XDG_RUNTIME_DIR=self.runtime,
                   WAYLAND_DISPLAY=SOCKET)
        env.pop("DISPLAY", None)
        return env

    def x_env(self):
        return dict(os.environ, DISPLAY=self.display)

    def screen(self):
        """What weston's output shows, as an RGB image of its size."""
        path = os.path.join(self.home, "screen.png")
        subprocess.run(["import", "-window", "root", "-crop", "%dx%d+0+0" % self.size,
                        "+repage", path], env=self.x_env(), capture_output=True, timeout=30)
        with Image.open(path) as image:
            return image.convert("RGB").copy()

    def press(self, *keys, hold=0.15):
        """Presses and releases each key (xdotool names, '+' for a chord) on
        weston's window, held long enough for a frame to see it."""
        env = self.x_env()
        # Xvfb's keyboard focus follows the pointer: keep it on the output.
        subprocess.run(["xdotool", "mousemove", str(self.size[0] - 2), str(self.size[1] - 2)],
                       env=env, capture_output=True, timeout=30)
        for key in keys:
            subprocess.run(["xdotool", "keydown", key], env=env, capture_output=True, timeout=30)
            time.sleep(hold)
            subprocess.run(["xdotool", "keyup", key], env=env, capture_output=True, timeout=30)
            time.sleep(hold)

    def switch_to_next_window(self):
        """Weston's window switcher: Super held, Tab twice (past the window
        that has the focus), Super released."""
        env = self.x_env()
        steps = [["keydown", "super"], ["key", "Tab"], ["key", "Tab"], ["keyup", "super"]]
        for step in steps:
            subprocess.run(["xdotool"] + step, env=env, capture_output=True, timeout=30)
            time.sleep(0.2)

    def read_log(self):
        try:
            with open(self.log) as handle:
                return handle.read()[-4000:]
        except OSError:
            return ""

    def stop(self):
        stop_process(self.process)
        shutil.rmtree(self.home, ignore_errors=True)
