#!/usr/bin/python3
"""CPU of the native game on a desktop with a window manager (openbox on an
Xvfb of its own), playing and while it has nothing to do: measures and
prints, never fails.

    /usr/bin/python3 bench/desktop_cpu.py BINARY [SECONDS] [SCREEN]   (5, 1366x768)

For a window and for full screen in turn it measures, each over SECONDS:
  playing    the play scene running (Space pressed; frames at the display's rate)
  away       window: minimised by the window manager (xdotool
             windowminimize); full screen: another window takes the front,
             and the game minimises itself
  back       restored by the window manager, running again
CPU is the process's user + system time over the wall time, in per cent of
one core; wakes are its voluntary context switches a second."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "support"))

from velmora_test import desktop  # noqa: E402
from velmora_test.frames import TITLE  # noqa: E402
from velmora_test.processes import cpu_seconds, start, stop_process  # noqa: E402
from velmora_test.waiting import wait_until  # noqa: E402
from velmora_test.xserver import XServer  # noqa: E402



def voluntary_switches(pid):
    with open("/proc/%d/status" % pid) as handle:
        for line in handle:
            if line.startswith("voluntary_ctxt_switches"):
                return int(line.split()[1])
    return 0


def measure(pid, seconds):
    cpu0, wakes0, t0 = cpu_seconds(pid), voluntary_switches(pid), time.monotonic()
    time.sleep(seconds)
    cpu1, wakes1, t1 = cpu_seconds(pid), voluntary_switches(pid), time.monotonic()
    return 100.0 * (cpu1 - cpu0) / (t1 - t0), (wakes1 - wakes0) / (t1 - t0)


def xdotool(env, *args):
    return subprocess.run(("xdotool",) + args, env=env, capture_output=True, text=True,
                          timeout=30).stdout.split()


def one_mode(binary, screen, mode, seconds):
    xserver = XServer(screen)
    wm = desktop.Openbox(xserver)
    home = tempfile.mkdtemp(prefix="velmora-bench-")
    env = dict(os.environ, DISPLAY=xserver.display, HOME=home,
               XDG_CONFIG_HOME=os.path.join(home, "config"), SDL_RENDER_DRIVER="software")
    for name in ("WAYLAND_DISPLAY", "VELMORA_VIDEO", "VELMORA_WINDOWED", "SDL_VIDEODRIVER"):
        env.pop(name, None)
    game = start([binary, mode], env=env, stdout=subprocess.DEVNULL,
                 stderr=subprocess.DEVNULL)
    other = None
    rows = []
    try:
        found = wait_until(lambda: xdotool(env, "search", "--onlyvisible", "--name", TITLE), 20)
        if not found:
            raise SystemExit("no game window appeared in %s mode" % mode)
        window = found[-1]
        xdotool(env, "windowactivate", "--sync", window)
        xdotool(env, "key", "space")  # from the title into play
        time.sleep(2)  # past start-up and the pacing's measurement
        rows.append(("playing",) + measure(game.pid, seconds))
        if mode == "--window":
            xdotool(env, "windowminimize", window)
        else:
            other = start(["xmessage", "-geometry", "+10+10", "another program"], env=env,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            shown = wait_until(lambda: xdotool(env, "search", "--onlyvisible", "--class",
                                               "xmessage"), 10)
            if shown:
                xdotool(env, "windowactivate", shown[-1])
        if not wait_until(lambda: desktop.iconic(xserver.display, window), 10):
            print("  (%s: the game's window was not minimised)" % mode)
        time.sleep(1)
        rows.append(("away",) + measure(game.pid, seconds))
        xdotool(env, "windowactivate", window)
        time.sleep(1)
        rows.append(("back",) + measure(game.pid, seconds))
    finally:
        stop_process(game)
        if other is not None:
            stop_process(other)
        wm.stop()
        xserver.stop()
        shutil.rmtree(home, ignore_errors=True)
    return rows


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    binary = os.path.abspath(argv[1])
    seconds = float(argv[2]) if len(argv) > 2 else 5.0
    screen = (argv[3] if len(argv) > 3 else "1366x768") + "x24"
    print("openbox on Xvfb %s, %.0f s a figure; CPU in %% of one core" % (screen, seconds))
    for mode in ("--window", "--fullscreen"):
        for phase, cpu, wakes in one_mode(binary, screen, mode, seconds):
            print("%-13s %-8s cpu %6.1f %%   wakes %8.0f /s" % (mode, phase, cpu, wakes))


if __name__ == "__main__":
    main(sys.argv)
