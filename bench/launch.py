"""Launch to first frame and peak resident memory, per present mode.

  launch.py WORKDIR ROUNDS MODE=BINARY [MODE=BINARY ...]

MODE is a VELMORA_PRESENT value (surface, auto, gpu), optionally with a
label after a colon (auto:before). Each round runs every entry once, the
order turned by one each round, on an Xvfb of its own at 1024 x 768, full
screen and then in a window: the time from starting the process until the
title shows at the screen's centre (read there every millisecond), and the
process's peak resident memory (VmHWM) after three seconds, the ball moving.
Prints each run, then per entry and kind the medians and ranges, and each
entry's launch time over the first entry's. Measures and prints; it does
not judge.
"""

import ctypes
import os
import statistics
import subprocess
import sys
import time

import compare_wine
from velmora_test import Failure
from velmora_test.processes import stop_process
from velmora_test.xserver import XServer

SIZE = (1024, 768)


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_uint32))]


class Screen:
    """The root window's centre pixel, read through Xlib."""

    def __init__(self, display):
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XGetImage.restype = ctypes.POINTER(XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XDestroyImage = None
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = self.x.XOpenDisplay(display.encode())
        if not self.display:
            raise Failure("cannot open %s" % display)
        self.root = self.x.XDefaultRootWindow(self.display)

    def centre(self):
        image = self.x.XGetImage(self.display, self.root, SIZE[0] // 2, SIZE[1] // 2, 1, 1,
                                 0xFFFFFFFF, 2)
        value = image.contents.data[0] & 0xFFFFFF
        self.x.XFree(ctypes.cast(image.contents.data, ctypes.c_void_p))
        self.x.XFree(ctypes.cast(image, ctypes.c_void_p))
        return value

    def close(self):
        self.x.XCloseDisplay(self.display)


def peak_rss_mb(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    raise Failure("no VmHWM for %d" % pid)


def run(binary, mode, windowed, workdir):
    xserver = XServer("%dx%dx24" % SIZE)
    game = None
    screen = None
    try:
        screen = Screen(xserver.display)
        env = dict(os.environ, DISPLAY=xserver.display, VELMORA_PRESENT=mode,
                   XDG_CONFIG_HOME=os.path.join(workdir, "config"),
                   XDG_CACHE_HOME=os.path.join(workdir, "cache"))
        for var in ("VELMORA_VIDEO", "VELMORA_WINDOWED", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"):
            env.pop(var, None)
        args = [binary] + ([] if windowed else ["--fullscreen"])
        if windowed:
            env["VELMORA_WINDOWED"] = "1"
        start = time.monotonic()
        game = subprocess.Popen(args, env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        while screen.centre() == 0:
            if game.poll() is not None or time.monotonic() - start > 20:
                raise Failure("%s (%s) showed no frame" % (binary, mode))
            time.sleep(0.001)
        launch = time.monotonic() - start
        compare_wine.start_play(xserver.display)
        time.sleep(2.4)
        return launch, peak_rss_mb(game.pid)
    finally:
        if screen is not None:
            screen.close()
        if game is not None:
            stop_process(game)
        xserver.stop()


def show(label, values, unit, scale=1.0):
    print("%-30s median %7.1f %s, range %.1f - %.1f" % (
        label, statistics.median(values) * scale, unit, min(values) * scale,
        max(values) * scale))


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    workdir = os.path.abspath(argv[0])
    rounds = int(argv[1])
    entries = []
    for spec in argv[2:]:
        name, binary = spec.split("=", 1)
        entries.append((name, name.split(":")[0], os.path.abspath(binary)))
    os.makedirs(workdir, exist_ok=True)
    kinds = (("full screen", False), ("window", True))
    results = {(e[0], k[0]): ([], []) for e in entries for k in kinds}
    try:
        for r in range(rounds):
            turn = r % len(entries)
            for name, mode, binary in entries[turn:] + entries[:turn]:
                for kind, windowed in kinds:
                    launch, rss = run(binary, mode, windowed, workdir)
                    results[(name, kind)][0].append(launch)
                    results[(name, kind)][1].append(rss)
                    print("round %d %-16s %-11s launch %6.1f ms  peak RSS %6.1f MB" %
                          (r + 1, name, kind, launch * 1000, rss), flush=True)
    except (Failure, subprocess.SubprocessError, OSError, ValueError) as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        return 1
    print()
    for kind, _ in kinds:
        first = statistics.median(results[(entries[0][0], kind)][0])
        for name, _, _ in entries:
            launches, rss = results[(name, kind)]
            show("%s, %s: launch" % (name, kind), launches, "ms", 1000)
            show("%s, %s: peak RSS" % (name, kind), rss, "MB")
            print("%-30s %.3f" % ("%s/%s launch" % (name, entries[0][0]),
                                  statistics.median(launches) / first))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
