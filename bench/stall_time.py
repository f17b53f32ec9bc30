#!/usr/bin/python3
"""How long a stalled headless run takes to give up, beside a run that ends
normally after as many frames: measures and prints, never fails.

    bench/stall_time.py BINARY [RUNS]

Each round runs the cases one after another (alternating, so load on a
shared machine falls on all alike) and reports medians, ranges and the ratio
of each stall to the normal run."""

import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

CASES = [
    ("normal end after 3 frames", ["3 tap ESCAPE", "3 idle 100"], {}),
    ("stall: minimised, capture waiting", ["2 minimize", "3 capture"], {}),
    ("stall: every Flip shows nothing", ["3 capture"], {"VELMORA_FAULTS": "Flip=0x1"}),
    ("stall: Flip still drawing for ever", ["3 capture"], {"VELMORA_FAULTS": "Flip=0x8876021C"}),
    ("stall: BltFast still drawing for ever", ["3 capture"],
     {"VELMORA_FAULTS": "BltFast=0x8876021C"}),
]


def timed_run(binary, folder, script, faults):
    path = os.path.join(folder, "script.txt")
    with open(path, "w") as handle:
        handle.write("\n".join(script) + "\n")
    env = dict(os.environ, VELMORA_VIDEO="headless", VELMORA_SCRIPT=path,
               VELMORA_CAPTURE=folder, **faults)
    start = time.perf_counter()
    cpu_before = resource.getrusage(resource.RUSAGE_CHILDREN)
    done = subprocess.run([binary], env=env, cwd=folder, capture_output=True)
    cpu_after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (cpu_after.ru_utime + cpu_after.ru_stime) - (cpu_before.ru_utime + cpu_before.ru_stime)
    return time.perf_counter() - start, cpu, done.returncode


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    binary, runs = os.path.abspath(argv[1]), int(argv[2]) if len(argv) > 2 else 7
    seconds = {name: [] for name, _, _ in CASES}
    cpu = {name: [] for name, _, _ in CASES}
    statuses = {name: set() for name, _, _ in CASES}
    with tempfile.TemporaryDirectory() as folder:
        for _ in range(runs):
            for name, script, faults in CASES:
                took, used, status = timed_run(binary, folder, script, faults)
                seconds[name].append(took)
                cpu[name].append(used)
                statuses[name].add(status)
    print("%d runs each, alternating; seconds" % runs)
    for label, table in (("wall", seconds), ("cpu", cpu)):
        base = statistics.median(table[CASES[0][0]])
        for name, _, _ in CASES:
            values = table[name]
            median = statistics.median(values)
            print("%-4s %-38s status %-4s median %.3f  range %.3f-%.3f  ratio to normal %.1f"
                  % (label, name, ",".join(map(str, sorted(statuses[name]))), median,
                     min(values), max(values), median / base))


if __name__ == "__main__":
    main(sys.argv)
