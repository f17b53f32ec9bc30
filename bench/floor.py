"""CPU per play frame, the game's and the X server's: the Linux build against
the floor under it.

  floor.py LINUX_BIN FLOOR_CLIENT WORKDIR [ROUNDS [OTHER_LINUX_BIN]]

Runs, one after the other and alternating, ROUNDS times each, on an Xvfb of
its own at 1024 x 768: the game full screen with the ball moving, and
floor_client, which sends only what a play frame changes (and, given, another
build of the game). The game's frame rate is read off its own counter, as
compare_wine.py does; then, with no screenshot taken, the CPU of the client
and of the X server from the scheduler's count per thread. Prints each run,
the medians and ranges, and each build's total/floor ratio. Measures and
prints; it does not judge.
"""

import os
import statistics
import subprocess
import sys
import time

import compare_wine
from velmora_test import Failure
from velmora_test.xserver import XServer

FINE = compare_wine.cpu_seconds_fine
quiet_cpu = compare_wine.quiet_cpu


def run_game(binary, workdir, name):
    with compare_wine.linux_game(binary, workdir, 2.0) as (display, pid, size, server):
        compare_wine.start_play(display)
        fps = compare_wine.measure(display, [pid], workdir, name, size, FINE)[1]
        game, xserver = quiet_cpu([pid, server], compare_wine.MEASURE)
        frames = fps * compare_wine.MEASURE
        return game / frames, xserver / frames, fps


def run_floor(client):
    xserver = XServer(compare_wine.LINUX_SCREEN)
    try:
        env = dict(os.environ, DISPLAY=xserver.display)
        seconds = compare_wine.WARM_UP + compare_wine.MEASURE
        floor = subprocess.Popen([client, str(seconds)], env=env, stdout=subprocess.PIPE,
                                 text=True)
        time.sleep(compare_wine.WARM_UP)  # the client settles as long before it counts
        server = quiet_cpu([xserver.process.pid], compare_wine.MEASURE)[0]
        out = floor.communicate(timeout=30)[0]
        # "floor: F frames in S s, R frames/s, C ms CPU per frame"
        words = out.split()
        fps = float(words[-7])
        return float(words[-5]) / 1000, server / (fps * compare_wine.MEASURE), fps
    finally:
        xserver.stop()


def show(name, runs):
    for i, label in enumerate(("game", "X server")):
        print(compare_wine.summary("%s %s" % (name, label), [r[i] for r in runs], "ms", 1000))
    print(compare_wine.summary("%s total" % name, [r[0] + r[1] for r in runs], "ms", 1000))


def main(argv):
    if len(argv) not in (3, 4, 5):
        print(__doc__, file=sys.stderr)
        return 2
    binary, client, workdir = (os.path.abspath(a) for a in argv[:3])
    rounds = int(argv[3]) if len(argv) > 3 else 5
    os.makedirs(workdir, exist_ok=True)
    sides = [("game", lambda r: run_game(binary, workdir, "game-%d" % r)),
             ("floor", lambda r: run_floor(client))]
    if len(argv) == 5:
        other = os.path.abspath(argv[4])
        sides.append(("other", lambda r: run_game(other, workdir, "other-%d" % r)))
    results = {name: [] for name, _ in sides}
    try:
        for r in range(rounds):
            for name, run in sides if r % 2 == 0 else reversed(sides):
                results[name].append(run(r))
                game, xserver, fps = results[name][-1]
                print("round %d %-5s %6.1f frames/s  game %.4f  X server %.4f  total %.4f ms"
                      % (r + 1, name, fps, game * 1000, xserver * 1000, (game + xserver) * 1000),
                      flush=True)
    except (Failure, subprocess.SubprocessError, OSError, ValueError, IndexError) as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        return 1
    print()
    for name, _ in sides:
        show(name, results[name])
    floor = statistics.median(r[0] + r[1] for r in results["floor"])
    for name, _ in sides:
        if name != "floor":
            total = statistics.median(r[0] + r[1] for r in results[name])
            print("%s/floor total CPU per frame: %.3f (ratio of the medians)" % (name, total / floor))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
