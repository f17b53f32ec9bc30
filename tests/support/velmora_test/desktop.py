"""A real desktop on a test's X server: openbox, the EWMH window manager of
Debian's default configuration, and what a client can read back about a
window it manages (frame, state, class, icon)."""

import os
import re
import subprocess
import tempfile

from . import Failure
from .processes import start, stop_process
from .waiting import wait_until


def _run(display, *command):
    env = dict(os.environ, DISPLAY=display)
    return subprocess.run(command, env=env, capture_output=True, text=True, timeout=30)


class Openbox:
    """openbox managing the windows of `xserver` until stop()."""

    def __init__(self, xserver):
        self.display = xserver.display
        # A home of its own: no user's openbox configuration comes along.
        self.home = tempfile.mkdtemp(prefix="velmora-openbox-")
        env = dict(os.environ, DISPLAY=self.display, HOME=self.home,
                   XDG_CONFIG_HOME=os.path.join(self.home, "config"))
        self.process = start(["openbox", "--sm-disable"], env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_until(self._managing, 20):
            self.stop()
            raise Failure("openbox did not take over the screen %s within 20 s" % self.display)

    def _managing(self):
        if self.process.poll() is not None:
            raise Failure("openbox ended at start with status %s" % self.process.returncode)
        return "window id #" in _run(self.display, "xprop", "-root",
                                     "_NET_SUPPORTING_WM_CHECK").stdout

    def stop(self):
        stop_process(self.process)


def window_property(display, window, name):
    """The text xprop gives for one property of a window, after the '=' or
    ':' (None when the window has no such property)."""
    out = _run(display, "xprop", "-id", str(window), name).stdout.strip()
    match = re.match(r"^%s(\([^)]*\))?\s*[=:]\s*(.*)$" % re.escape(name), out, re.S)
    return match.group(2) if match else None


def frame_extents(display, window):
    """left, right, top, bottom of the decoration the window manager put
    around the window (0s when it has none)."""
    value = window_property(display, window, "_NET_FRAME_EXTENTS")
    if not value:
        return (0, 0, 0, 0)
    return tuple(int(n) for n in value.split(","))


def net_wm_state(display, window):
    """The _NET_WM_STATE atoms set on a window, without the prefix:
    {'FULLSCREEN', 'MAXIMIZED_VERT', 'HIDDEN', ...}."""
    value = window_property(display, window, "_NET_WM_STATE") or ""
    return {atom.strip().replace("_NET_WM_STATE_", "") for atom in value.split(",")
            if atom.strip()}


def iconic(display, window):
    """True when the window manager holds the window minimised (ICCCM)."""
    out = _run(display, "xprop", "-id", str(window), "WM_STATE").stdout
    return "Iconic" in out
