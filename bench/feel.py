"""How the game feels, measured from outside as a player's eye would: the
delay from a key press to the picture, and the intervals between frames as
they reach the X server. The Linux build against the Windows build on Wine,
each on a 640 x 480 Xvfb of its own, in one run, alternating.

  feel.py latency PROBE LINUX_BIN EXE PREFIX WORKDIR [PRESSES] [ROUNDS]
  feel.py pacing PROBE LINUX_BIN EXE PREFIX WORKDIR [SECONDS]
  feel.py desktop-latency PROBE DESKTOP_EXE BARE_PREFIX WORKDIR [PRESSES] [ROUNDS] [OTHER_EXE]

latency: ROUNDS rounds (default 5), each side PRESSES / ROUNDS presses a
round (default 300 in all), the order of the sides turned round each round.
The sides: the probe against its own trivial client (its own delay), against
a client that runs the game's frame order at 60 Hz and nothing else (the
floor under a paced game that draws a frame before it reads the keys), the
Linux build on the surface path and on the automatic choice, and Wine.

desktop-latency: as latency, for velmora-desktop.exe (our own DirectDraw)
full screen under openbox with no virtual desktop (BARE_PREFIX made without
one when missing), against the probe and the 60 Hz floor; with OTHER_EXE,
another build of it (an older one, say) in the same rounds.

pacing: SECONDS of play (default 60) with Right held, for the Linux build
and Wine, first on the machine as it is and then with one core kept busy by
a plain busy loop started and stopped here.

Prints medians, p90, p99 and maxima; measures and prints, never judges.
"""

import contextlib
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))

from compare_wine import linux_game, to_play, wine_desktop_game, wine_game  # noqa: E402
from velmora_test import Failure  # noqa: E402
from velmora_test import wine as winehost  # noqa: E402
from velmora_test.processes import start, stop_process  # noqa: E402
from velmora_test.xserver import XServer  # noqa: E402

SCREEN = "640x480x24"
FRAME_MS = 1000.0 / 60


def percentile(values, fraction):
    """Nearest rank: the value that `fraction` of the values do not exceed."""
    ordered = sorted(values)
    return ordered[max(0, min(len(ordered) - 1, int(round(fraction * len(ordered))) - 1))]


@contextlib.contextmanager
def reference(probe, *how):
    xserver = XServer(SCREEN)
    client = None
    try:
        client = start([probe, "reference", *how], env=dict(os.environ, DISPLAY=xserver.display))
        time.sleep(0.5)
        yield xserver.display
    finally:
        stop_process(client)
        xserver.stop()


@contextlib.contextmanager
def linux(binary, workdir, present):
    with linux_game(binary, workdir, 2.0, SCREEN, VELMORA_PRESENT=present) as (display, *_):
        to_play(display, 1.0)
        yield display


@contextlib.contextmanager
def wine(exe, prefix, workdir):
    with wine_game(exe, prefix, workdir, SCREEN) as display:
        to_play(display, 1.0)
        yield display


@contextlib.contextmanager
def desktop(exe, prefix, workdir):
    with wine_desktop_game(exe, prefix, workdir, SCREEN, ["--fullscreen"]) as (display, _):
        to_play(display, 1.0)
        yield display


def probe_run(probe, display, mode, amount, timeout):
    out = subprocess.run([probe, mode, str(amount)], env=dict(os.environ, DISPLAY=display),
                         capture_output=True, text=True, timeout=timeout, check=True).stdout
    return out.split()


def sides(args):
    probe, binary, exe, prefix, workdir = args
    return [("probe", lambda: reference(probe)),
            ("floor-60hz", lambda: reference(probe, "paced")),
            ("linux-surface", lambda: linux(binary, workdir, "surface")),
            ("linux-auto", lambda: linux(binary, workdir, "auto")),
            ("wine", lambda: wine(exe, prefix, workdir))]


def desktop_sides(probe, exes, prefix, workdir):
    found = [("probe", lambda: reference(probe)),
             ("floor-60hz", lambda: reference(probe, "paced"))]
    for name, exe in zip(("desktop", "desktop-other"), exes):
        found.append((name, lambda exe=exe: desktop(exe, prefix, workdir)))
    return found


def median_p90(values):
    return percentile(values, 0.5), percentile(values, 0.9)


def line(name, values, floors):
    stats = [percentile(values, 0.5), percentile(values, 0.9), percentile(values, 0.99),
             max(values)]
    text = "%-14s %4d  %7.2f %7.2f %7.2f %7.2f   %5.2f %5.2f %5.2f %5.2f" % (
        (name, len(values)) + tuple(stats) + tuple(v / FRAME_MS for v in stats))
    for floor in floors:
        text += "   %+6.2f %+6.2f" % (stats[0] - floor[0], stats[1] - floor[1])
    return text


def latency(probe, order, presses, rounds):
    delays = {name: [] for name, _ in order}
    medians = {name: [] for name, _ in order}
    missed = {name: 0 for name, _ in order}
    for r in range(rounds):
        turned = order[r % len(order):] + order[:r % len(order)]
        for name, side in turned:
            with side() as display:
                words = probe_run(probe, display, "keys", presses // rounds, 600)
            found = [float(w) for w in words if w != "missed"]
            if not found:
                raise Failure("no press moved the picture on %s" % name)
            missed[name] += len(words) - len(found)
            delays[name] += found
            medians[name].append(percentile(found, 0.5))
            print("round %d %-14s %3d presses, median %6.2f ms, %d missed" %
                  (r + 1, name, len(found), medians[name][-1], len(words) - len(found)),
                  flush=True)
    print()
    print("key to picture, in ms, then in frames of 1/60 s, then the median and p90 in ms above")
    print("the probe's own and above the 60 Hz floor's (the game's frame order, no work)")
    print("%-14s %4s  %7s %7s %7s %7s   %5s %5s %5s %5s   %13s   %13s" %
          ("side", "n", "median", "p90", "p99", "max", "med", "p90", "p99", "max", "above probe",
           "above floor"))
    floors = [median_p90(delays["probe"]), median_p90(delays["floor-60hz"])]
    for name, _ in order:
        print(line(name, delays[name], floors))
    for name, _ in order:
        print("%-14s round medians %.2f - %.2f ms, %d missed" %
              (name, min(medians[name]), max(medians[name]), missed[name]))


def intervals_line(name, seen):
    """seen: (time a change was seen, time since the read before it), ms."""
    seen = [(t, span) for t, span in seen if t >= 500]  # the press taking hold
    gaps = [(b[0] - a[0], max(a[1], b[1])) for a, b in zip(seen, seen[1:])]
    if not gaps:
        return "%-20s no frames seen" % name
    times = [g for g, _ in gaps]
    long_ones = [(g, span) for g, span in gaps if g > 25]
    spans = [span for _, span in seen]
    return "%-20s %6d  %6.2f %6.2f %6.2f %7.2f   %4d %4d   %6.2f %7.2f" % (
        name, len(times), sum(times) / len(times), percentile(times, 0.5),
        percentile(times, 0.99), max(times), len(long_ones),
        sum(1 for _, span in long_ones if span > 5), percentile(spans, 0.99), max(spans))


def pacing(args, seconds):
    probe, binary, exe, prefix, workdir = args
    runs = [("linux", lambda: linux(binary, workdir, "auto")),
            ("wine", lambda: wine(exe, prefix, workdir))]
    print("frame intervals as the X server got them, ms (Right held, %g s each)" % seconds)
    print("(>25: intervals over 25 ms; late: of those, the ones the probe itself read over 5 ms")
    print("apart; read p99/max: the probe's own time between reads around a change)")
    print("%-20s %6s  %6s %6s %6s %7s   %4s %4s   %6s %7s" %
          ("side", "count", "mean", "p50", "p99", "max", ">25", "late", "read99", "readmax"))
    for load in ("as it is", "one core busy"):
        for name, side in runs:
            busy = None
            try:
                with side() as display:
                    if load != "as it is":
                        busy = start([sys.executable, "-c", "while True: pass"])
                    words = probe_run(probe, display, "frames", seconds, seconds + 120)
            finally:
                stop_process(busy)
            seen = [(float(t), float(span)) for t, span in zip(words[::2], words[1::2])]
            print(intervals_line("%s, %s" % (name, load), seen), flush=True)


def desktop_main(argv):
    probe, exe, prefix, workdir = (os.path.abspath(a) for a in argv[:4])
    exes = [exe] + [os.path.abspath(a) for a in argv[6:7]]
    os.makedirs(workdir, exist_ok=True)
    if not os.path.isfile(os.path.join(prefix, "user.reg")):
        print("making the Wine prefix without a virtual desktop (once)", flush=True)
        winehost.create_prefix(prefix, desktop=False)
    for name, path in zip(("desktop", "desktop-other"), exes):
        print("%s: %s" % (name, path))
    latency(probe, desktop_sides(probe, exes, prefix, workdir),
            int(argv[4]) if len(argv) > 4 else 300, int(argv[5]) if len(argv) > 5 else 5)


def main(argv):
    if len(argv) >= 5 and argv[0] == "desktop-latency":
        return guarded(lambda: desktop_main(argv[1:]))
    if len(argv) < 6 or argv[0] not in ("latency", "pacing"):
        print(__doc__, file=sys.stderr)
        return 2
    args = tuple(os.path.abspath(a) for a in argv[1:6])
    os.makedirs(args[4], exist_ok=True)
    if not os.path.isfile(os.path.join(args[3], "user.reg")):
        print("making the Wine prefix (once)", flush=True)
        winehost.create_prefix(args[3])
    if argv[0] == "latency":
        return guarded(lambda: latency(args[0], sides(args), int(argv[6]) if len(argv) > 6 else 300,
                                       int(argv[7]) if len(argv) > 7 else 5))
    return guarded(lambda: pacing(args, float(argv[6]) if len(argv) > 6 else 60.0))


def guarded(run):
    """Runs a bench between two readings of the load average, which bears on
    every figure; a failure is said, with status 1."""
    print("load average at the start: %.2f %.2f %.2f" % os.getloadavg(), flush=True)
    try:
        run()
    except (Failure, subprocess.SubprocessError, OSError, ValueError) as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        return 1
    finally:
        winehost.no_more_alarms()
    print("load average at the end: %.2f %.2f %.2f" % os.getloadavg())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
