#!/usr/bin/python3
"""CPU of the native game on Wayland against X11, in one run: measures and
prints, never fails.

    /usr/bin/python3 bench/wayland_cpu.py BINARY [ROUNDS] [SECONDS]   (5, 5)

Each round runs the game full screen at 1024 x 768 once on each side, the
order swapped every round:
  X11      an Xvfb with openbox
  Wayland  weston (its X11 back end, pixman) on an Xvfb, the game without
           DISPLAY
In each run: Space, Right held, then CPU per frame over six seconds of play
(the frame rate read off the game's own counter, CPU from the scheduler's
count of the game's threads; neither the X server's nor weston's work is
counted); then another program's window takes the front (xmessage; weston's
flower), the game minimises itself, and its share of one core is measured
over SECONDS. Prints each run, then each side's medians and ranges and the
Wayland/X11 ratios of the medians."""

import contextlib
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))

import compare_wine  # noqa: E402
from velmora_test import desktop  # noqa: E402
from velmora_test.processes import start, stop_process  # noqa: E402
from velmora_test.wayland import Weston  # noqa: E402
from velmora_test.xserver import XServer  # noqa: E402

SIZE = (1024, 768)


def quiet_env(base, home):
    env = dict(base, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"))
    for name in ("VELMORA_VIDEO", "VELMORA_WINDOWED", "SDL_VIDEODRIVER"):
        env.pop(name, None)
    return env


@contextlib.contextmanager
def x11(home):
    """Yields (X display for keys and screenshots, the game's environment,
    a function that puts another window in front and returns its process)."""
    xserver = XServer("%dx%dx24" % SIZE)
    wm = desktop.Openbox(xserver)
    try:
        env = quiet_env(dict(os.environ, DISPLAY=xserver.display), home)
        env.pop("WAYLAND_DISPLAY", None)

        def take_front():
            other = start(["xmessage", "-geometry", "+10+10", "another program"], env=env,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(1)
            subprocess.run(["xdotool", "search", "--class", "xmessage", "windowactivate"],
                           env=env, capture_output=True, timeout=30)
            return other
        yield xserver.display, env, take_front
    finally:
        wm.stop()
        xserver.stop()


@contextlib.contextmanager
def wayland(home):
    xserver = XServer("%dx%dx24" % SIZE)
    weston = None
    try:
        weston = Weston(xserver, *SIZE)
        env = weston.client_env(quiet_env(os.environ, home))

        def take_front():
            return start(["weston-flower"], env=env, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
        yield xserver.display, env, take_front
    finally:
        if weston is not None:
            weston.stop()
        xserver.stop()


def run(side, binary, workdir, name, seconds):
    """(CPU seconds per frame playing, frames per second, share of a core
    minimised)."""
    home = tempfile.mkdtemp(prefix="velmora-bench-", dir=workdir)
    game = other = None
    try:
        with side(home) as (display, env, take_front):
            game = start([binary, "--fullscreen"], env=env, stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
            time.sleep(2)
            compare_wine.start_play(display)
            per_frame, fps = compare_wine.measure(display, [game.pid], workdir, name, SIZE,
                                                  compare_wine.cpu_seconds_fine)
            compare_wine.xdotool(display, "keyup", "Right")
            other = take_front()
            time.sleep(2)
            cpu0, t0 = compare_wine.cpu_seconds_fine(game.pid), time.monotonic()
            time.sleep(seconds)
            share = (compare_wine.cpu_seconds_fine(game.pid) - cpu0) / (time.monotonic() - t0)
            stop_process(other)
            stop_process(game)
            return per_frame, fps, share
    finally:
        for process in (other, game):
            stop_process(process)
        shutil.rmtree(home, ignore_errors=True)


def summary(label, values, unit, scale):
    return "%-30s median %8.3f %s, range %.3f - %.3f" % (
        label, statistics.median(values) * scale, unit, min(values) * scale,
        max(values) * scale)


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    binary = os.path.abspath(argv[1])
    rounds = int(argv[2]) if len(argv) > 2 else 5
    seconds = float(argv[3]) if len(argv) > 3 else 5.0
    workdir = tempfile.mkdtemp(prefix="velmora-wayland-bench-")
    sides = [("X11", x11), ("Wayland", wayland)]
    results = {name: [] for name, _ in sides}
    try:
        for r in range(rounds):
            for name, side in sides if r % 2 == 0 else reversed(sides):
                per_frame, fps, share = run(side, binary, workdir, "%s-%d" % (name, r), seconds)
                results[name].append((per_frame, fps, share))
                print("round %d %-8s %6.1f frames/s  %.4f ms CPU per frame  minimised %.3f %% "
                      "of a core" % (r + 1, name, fps, per_frame * 1000, share * 100), flush=True)
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
    print()
    for name, _ in sides:
        rows = results[name]
        print(summary(name + " CPU per frame", [v[0] for v in rows], "ms", 1000))
        print(summary(name + " frames/s", [v[1] for v in rows], "  ", 1))
        print(summary(name + " minimised", [v[2] for v in rows], "% ", 100))
    for what, index in (("CPU per frame", 0), ("minimised", 2)):
        ratio = (statistics.median(v[index] for v in results["Wayland"]) /
                 max(statistics.median(v[index] for v in results["X11"]), 1e-9))
        print("Wayland/X11 %s: %.3f (ratio of the medians)" % (what, ratio))


if __name__ == "__main__":
    main(sys.argv)
