"""CPU per frame on the title and in play, for one build or two side by side.

  scene_cpu.py WORKDIR ROUNDS BINARY [OTHER_BINARY]

Each run starts the game full screen on an Xvfb of its own at 1024 x 768,
measures the title (frame rate off its own counter as compare_wine.py
reads it, then the CPU of the game and of the X server from the scheduler's
count per thread over a stretch with no screenshot), then presses Space,
holds Right and measures play. Totals are the game's and the X server's.
With two builds the runs alternate, the order swapped every round. Prints
each run, then per build the medians and ranges and the title/play ratio,
and with two builds the ratio of each scene's medians. Measures and prints;
it does not judge.
"""

import os
import statistics
import subprocess
import sys

import compare_wine
from velmora_test import Failure


def scene(display, pid, server, workdir, name, size):
    """CPU per frame of the game and of the X server: the frame rate read off
    the counter, then the CPU over a stretch with no screenshot."""
    fine = compare_wine.cpu_seconds_fine
    fps = compare_wine.measure(display, [pid], workdir, name, size, fine)[1]
    game, xserver = compare_wine.quiet_cpu([pid, server], compare_wine.MEASURE)
    frames = fps * compare_wine.MEASURE
    return game / frames, xserver / frames


def run(binary, workdir, name):
    with compare_wine.linux_game(binary, workdir, 1.0) as (display, pid, size, server):
        title = scene(display, pid, server, workdir, name + "-title", size)
        compare_wine.start_play(display)
        play = scene(display, pid, server, workdir, name + "-play", size)
        return title, play


def show(label, values):
    print("%-26s median %.4f ms, range %.4f - %.4f" % (
        label, statistics.median(values) * 1000, min(values) * 1000, max(values) * 1000))


def main(argv):
    if len(argv) not in (3, 4):
        print(__doc__, file=sys.stderr)
        return 2
    workdir = os.path.abspath(argv[0])
    rounds = int(argv[1])
    binaries = [os.path.abspath(b) for b in argv[2:]]
    names = ["A", "B"][:len(binaries)]
    os.makedirs(workdir, exist_ok=True)
    results = {name: {"title": [], "play": []} for name in names}
    try:
        for r in range(rounds):
            order = list(zip(names, binaries))
            for name, binary in order if r % 2 == 0 else reversed(order):
                title, play = run(binary, workdir, "%s-%d" % (name, r))
                results[name]["title"].append(sum(title))
                results[name]["play"].append(sum(play))
                print("round %d %s  title %.4f + %.4f ms  play %.4f + %.4f ms CPU per frame "
                      "(game + X server)" % (r + 1, name, title[0] * 1000, title[1] * 1000,
                                             play[0] * 1000, play[1] * 1000), flush=True)
    except (Failure, subprocess.SubprocessError, OSError, ValueError) as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        return 1
    print()
    for name, binary in zip(names, binaries):
        print("%s: %s" % (name, binary))
        for which in ("title", "play"):
            show("  %s CPU per frame, total" % which, results[name][which])
        print("  title/play: %.3f" % (statistics.median(results[name]["title"]) /
                                      statistics.median(results[name]["play"])))
    if len(names) == 2:
        for which in ("title", "play"):
            print("B/A %s: %.3f" % (which, statistics.median(results["B"][which]) /
                                    statistics.median(results["A"][which])))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
