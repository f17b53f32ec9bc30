"""CPU per frame on the title and in play, for one build or two side by side.

  scene_cpu.py WORKDIR ROUNDS BINARY [OTHER_BINARY]

Each run starts the game full screen on an Xvfb of its own at 1024 x 768,
measures the title (frame rate off its own counter as compare_wine.py
reads it, CPU from the scheduler's count per thread), then presses Space, holds Right and measures play.
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


def run(binary, workdir, name):
    fine = compare_wine.cpu_seconds_fine
    with compare_wine.linux_game(binary, workdir, 1.0) as (display, pid, size, _):
        title = compare_wine.measure(display, [pid], workdir, name + "-title", size, fine)
        compare_wine.start_play(display)
        play = compare_wine.measure(display, [pid], workdir, name + "-play", size, fine)
        return title[0], play[0]


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
                results[name]["title"].append(title)
                results[name]["play"].append(play)
                print("round %d %s  title %.4f ms  play %.4f ms CPU per frame" %
                      (r + 1, name, title * 1000, play * 1000), flush=True)
    except (Failure, subprocess.SubprocessError, OSError, ValueError) as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        return 1
    print()
    for name, binary in zip(names, binaries):
        print("%s: %s" % (name, binary))
        for scene in ("title", "play"):
            show("  %s CPU per frame" % scene, results[name][scene])
        print("  title/play: %.3f" % (statistics.median(results[name]["title"]) /
                                      statistics.median(results[name]["play"])))
    if len(names) == 2:
        for scene in ("title", "play"):
            print("B/A %s: %.3f" % (scene, statistics.median(results["B"][scene]) /
                                    statistics.median(results["A"][scene])))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
