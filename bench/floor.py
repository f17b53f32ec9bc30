"""CPU per play frame: the Linux build against the floor under it.

  floor.py LINUX_BIN FLOOR_CLIENT WORKDIR [ROUNDS]

Runs, one after the other and alternating, ROUNDS times each, on an Xvfb of
its own at 1024 x 768: the game full screen with the ball moving (its frame
rate read off its own counter, its CPU from /proc, as compare_wine.py does),
and floor_client, which sends only what a play frame changes. Prints each run,
the medians and ranges, and the game/floor ratio. Measures and prints; it does
not judge.
"""

import os
import subprocess
import sys

import compare_wine
from velmora_test import Failure
from velmora_test.xserver import XServer



def run_floor(client):
    xserver = XServer(compare_wine.LINUX_SCREEN)
    try:
        env = dict(os.environ, DISPLAY=xserver.display)
        seconds = compare_wine.WARM_UP + compare_wine.MEASURE
        out = subprocess.run([client, str(seconds)], env=env, capture_output=True, text=True,
                             timeout=seconds + 30, check=True).stdout
        # "floor: F frames in S s, R frames/s, C ms CPU per frame"
        words = out.split()
        return float(words[-5]) / 1000, float(words[-7])
    finally:
        xserver.stop()


def main(argv):
    if len(argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    binary, client, workdir = (os.path.abspath(a) for a in argv[:3])
    rounds = int(argv[3]) if len(argv) == 4 else 5
    os.makedirs(workdir, exist_ok=True)
    try:
        # The game's CPU in nanoseconds: a floor of a few hundredths of a
        # millisecond a frame is a tick or two of /proc/PID/stat over a run.
        compare_wine.alternate(
            rounds, ("game", lambda r: compare_wine.run_linux(binary, workdir, "game-%d" % r,
                                                           compare_wine.cpu_seconds_fine)),
            ("floor", lambda r: run_floor(client)))
    except (Failure, subprocess.SubprocessError, OSError, ValueError, IndexError) as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
