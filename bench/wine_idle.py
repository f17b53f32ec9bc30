"""The Windows build on our own DirectDraw, minimised under Wine: the share of
one core its process and the prefix's wineserver take, for two builds of
velmora-desktop.exe in alternating rounds. Measures and prints, never fails.

  wine_idle.py EXE_A EXE_B PREFIX WORKDIR [ROUNDS] [SECONDS]   (5 rounds, 5 s)

Each round runs both builds, the first of them turned round each round, each
on a 1280 x 1024 Xvfb of its own under openbox with no virtual desktop
(PREFIX made without one when missing), in a window: Space into play, then
the window manager minimises the window (xdotool windowminimize) and, a
second later, the game's and wineserver's CPU (the scheduler's time of every
thread, not wall time) over SECONDS, and the game's wakes (voluntary context
switches of all its threads) a second. Prints every run, then medians, ranges
and the A/B ratio of the medians.
"""

import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))

import compare_wine  # noqa: E402
from velmora_test import Failure, desktop  # noqa: E402
from velmora_test import wine as winehost  # noqa: E402
from velmora_test.frames import TITLE  # noqa: E402
from velmora_test.processes import cpu_seconds_fine, wakes  # noqa: E402
from velmora_test.waiting import wait_until  # noqa: E402

SCREEN = "1280x1024x24"


def minimised_share(exe, prefix, workdir, seconds):
    """(game %, wineserver %, game wakes a second) minimised."""
    with compare_wine.wine_desktop_game(exe, prefix, workdir, SCREEN, ["--window"]) as (display, _):
        found = wait_until(lambda: subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^%s$" % TITLE],
            env=dict(os.environ, DISPLAY=display), capture_output=True, text=True,
            timeout=10).stdout.split(), 60)
        if not found:
            raise Failure("no game window appeared")
        window = found[0]
        compare_wine.xdotool(display, "windowactivate", "--sync", window)
        compare_wine.xdotool(display, "key", "space")
        time.sleep(1.0)
        compare_wine.xdotool(display, "windowminimize", window)
        if not wait_until(lambda: desktop.iconic(display, window), 10):
            raise Failure("the game's window was not minimised")
        time.sleep(1.0)
        pids = winehost.program_and_server(prefix, os.path.basename(exe))
        cpu0, wakes0, t0 = [cpu_seconds_fine(p) for p in pids], wakes(pids[0]), time.monotonic()
        time.sleep(seconds)
        cpu1, wakes1, t1 = [cpu_seconds_fine(p) for p in pids], wakes(pids[0]), time.monotonic()
        span = t1 - t0
        return (100 * (cpu1[0] - cpu0[0]) / span, 100 * (cpu1[1] - cpu0[1]) / span,
                (wakes1 - wakes0) / span)


def summary(name, values, unit):
    return "%-6s %-14s median %7.2f %s, range %.2f - %.2f" % (
        name[0], name[1], statistics.median(values), unit, min(values), max(values))


def main(argv):
    if len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    exes = {"A": os.path.abspath(argv[0]), "B": os.path.abspath(argv[1])}
    prefix, workdir = (os.path.abspath(a) for a in argv[2:4])
    rounds = int(argv[4]) if len(argv) > 4 else 5
    seconds = float(argv[5]) if len(argv) > 5 else 5.0
    os.makedirs(workdir, exist_ok=True)
    if not os.path.isfile(os.path.join(prefix, "user.reg")):
        print("making the Wine prefix without a virtual desktop (once)", flush=True)
        winehost.create_prefix(prefix, desktop=False)
    print("load average at the start: %.2f %.2f %.2f" % os.getloadavg(), flush=True)
    rows = {"A": [], "B": []}
    try:
        for r in range(rounds):
            for side in ("A", "B") if r % 2 == 0 else ("B", "A"):
                row = minimised_share(exes[side], prefix, workdir, seconds)
                rows[side].append(row)
                print("round %d %s  game %5.2f %%  wineserver %5.2f %%  total %5.2f %%  "
                      "wakes %6.0f /s" % (r + 1, side, row[0], row[1], row[0] + row[1], row[2]),
                      flush=True)
    except (Failure, subprocess.SubprocessError, OSError) as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        return 1
    finally:
        winehost.no_more_alarms()
    print()
    for side in ("A", "B"):
        print("%s: %s" % (side, exes[side]))
        totals = [g + s for g, s, _ in rows[side]]
        print(summary((side, "game+server"), totals, "% of a core"))
        print(summary((side, "game wakes"), [w for _, _, w in rows[side]], "/s"))
    a = statistics.median(g + s for g, s, _ in rows["A"])
    b = statistics.median(g + s for g, s, _ in rows["B"])
    print("A/B minimised CPU: %.2f (ratio of the medians)" % (a / b if b else float("inf")))
    print("load average at the end: %.2f %.2f %.2f" % os.getloadavg())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
