#!/usr/bin/python3
"""Trials of the close that once ended the game with an X error: the window
minimised by openbox, then closed from the window manager. Prints the count
of clean ends and of each other outcome; measures, never fails.

    /usr/bin/python3 bench/close_minimised.py BINARY [TRIALS] [BUSY]   (100, 0)

BUSY busy loops run beside the trials, as on a shared machine. A clean end
is status 0 with the settings file written and nothing on standard error."""

import collections
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "player"))

if len(sys.argv) < 2:
    sys.exit(__doc__)
os.environ["VELMORA_BIN"] = os.path.abspath(sys.argv[1])

from player_host import Game  # noqa: E402
from velmora_test import desktop  # noqa: E402
from velmora_test.processes import start, stop_process  # noqa: E402
from velmora_test.waiting import wait_until  # noqa: E402
from velmora_test.xserver import XServer  # noqa: E402


def trial(xvfb):
    game = Game(xvfb, ["--window"])
    try:
        subprocess.run(["xdotool", "windowminimize", game.window], env=game.env,
                       capture_output=True, timeout=30)
        if not wait_until(lambda: desktop.iconic(xvfb.display, game.window), 10):
            return "not minimised"
        subprocess.run(["wmctrl", "-i", "-c", game.window], env=game.env, capture_output=True,
                       timeout=30)
        try:
            status = game.process.wait(20)
        except subprocess.TimeoutExpired:
            return "still running 20 s after the close"
        saved = os.path.exists(os.path.join(game.home, "config", "velmora", "velmora.ini"))
        said = game.stderr().strip().splitlines()
        if status == 0 and saved and not said:
            return "clean"
        return "status %s, settings %s: %s" % (status, "saved" if saved else "lost",
                                              " / ".join(said[:3]))
    finally:
        game.cleanup()


def main():
    trials = int(sys.argv[2]) if len(sys.argv) > 2 else 100
    busy = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    loops = [start(["sh", "-c", "while :; do :; done"]) for _ in range(busy)]
    xvfb = XServer.of_size(1366, 768)
    wm = desktop.Openbox(xvfb)
    outcomes = collections.Counter()
    try:
        for _ in range(trials):
            outcomes[trial(xvfb)] += 1
    finally:
        wm.stop()
        xvfb.stop()
        for loop in loops:
            stop_process(loop)
    print("close while minimised, %d trials, %d busy loops beside:" % (trials, busy))
    for outcome, count in outcomes.most_common():
        print("  %4d  %s" % (count, outcome))


if __name__ == "__main__":
    main()
