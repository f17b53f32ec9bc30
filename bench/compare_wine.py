"""CPU per presented frame: the Linux build against the Windows build on Wine.

  compare_wine.py LINUX_BIN EXE PREFIX WORKDIR [ROUNDS]

EXE velmora-desktop.exe (the build on our own DirectDraw) runs instead on an
Xvfb of the Linux build's size under openbox, with no virtual desktop (PREFIX
made without one), full screen as the Linux build is: the same picture, the
same screen, the X server's CPU counted on both sides.

Runs, one after the other and alternating, ROUNDS times each: the Linux build
full screen on an Xvfb of its own at 1024 x 768, and the Windows build under
Wine in a 640 x 480 virtual desktop with the GDI renderer (prefix as the Wine
suite makes it, created when missing). In both, Space starts play and Right is
held, so the ball moves all the time. Over a measured stretch of each run:

  - frames per second: read off the game's own counter in screenshots taken
    once a second (its digits matched against the font image);
  - CPU: the process's user and system time from /proc (for Wine, the game's
    process and the prefix's wineserver), over that stretch and over one as
    long just before it with no screenshot taken, which the X server would
    be charged for.

Prints each run, then for each side the median and range of both CPU figures
per frame and of the frame rate, and the Linux/Wine ratios of the medians
(with the range of the per-round ratios). VELMORA_PRESENT in the environment reaches the Linux
build. Measures and prints; it does not judge.
"""

import contextlib
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))

import fps_digits  # noqa: E402
from velmora_test import Failure  # noqa: E402
from velmora_test import wine as winehost  # noqa: E402
from velmora_test.desktop import Openbox  # noqa: E402
from velmora_test.processes import cpu_seconds_fine, start, stop_process  # noqa: E402
from velmora_test.waiting import wait_until  # noqa: E402
from velmora_test.xserver import XServer  # noqa: E402

LINUX_SCREEN = "1024x768x24"
WARM_UP = 3.0  # seconds of play before measuring
MEASURE = 6  # screenshots, one a second
TICK = os.sysconf("SC_CLK_TCK")
FONT = fps_digits.Font(os.path.join(HERE, "..", "resources", "STRINGS.bmp"))


def cpu_seconds(pid):
    """User plus system time of a process so far, in seconds."""
    with open("/proc/%d/stat" % pid, encoding="ascii") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK


def quiet_cpu(pids, seconds):
    """CPU seconds of each process (cpu_seconds_fine) over `seconds` in which
    nothing else is asked of the X server: no screenshot, which would be
    counted to it."""
    before = [cpu_seconds_fine(p) for p in pids]
    time.sleep(seconds)
    return [cpu_seconds_fine(p) - b for p, b in zip(pids, before)]


def screenshot(display, path, size):
    env = dict(os.environ, DISPLAY=display)
    subprocess.run(["import", "-window", "root", "-crop", "%dx%d+0+0" % size, "+repage", path],
                   env=env, timeout=20, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    return path


def xdotool(display, *args):
    subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=display), timeout=10,
                   check=True)


def to_play(display, settle=0.3):
    """Space for a moment: the play scene, `settle` seconds after."""
    xdotool(display, "keydown", "space")
    time.sleep(0.3)
    xdotool(display, "keyup", "space")
    time.sleep(settle)


def start_play(display):
    """Into play, then Right held."""
    to_play(display)
    xdotool(display, "keydown", "Right")


def measure(display, pids, workdir, name, size, cpu_of=cpu_seconds):
    """CPU seconds per frame over MEASURE seconds of play, the mean frame
    rate the counter showed, and CPU seconds per frame over as long a stretch
    before them with no screenshot (which the X server is charged for, a cost
    of measuring that is the same on both sides); cpu_of(pid) reads a
    process's CPU."""
    time.sleep(WARM_UP)
    quiet = sum(quiet_cpu(pids, MEASURE))
    cpu0 = sum(cpu_of(p) for p in pids)
    t0 = time.monotonic()
    rates = []
    for i in range(MEASURE):
        time.sleep(1.0)
        path = screenshot(display, os.path.join(workdir, "%s-%d.png" % (name, i)), size)
        rate = fps_digits.read_screenshot(FONT, path)
        if rate is None:
            raise Failure("no FPS counter could be read in %s" % path)
        rates.append(rate)
    elapsed = time.monotonic() - t0
    cpu = sum(cpu_of(p) for p in pids) - cpu0
    fps = statistics.mean(rates)
    return cpu / (fps * elapsed), fps, quiet / (fps * MEASURE)


@contextlib.contextmanager
def linux_game(binary, workdir, settle, screen=LINUX_SCREEN, **variables):
    """The Linux build full screen on an Xvfb of its own (`screen`), with the
    environment `variables` added, `settle` seconds after its start: yields
    (display, pid, screen size, the X server's pid)."""
    xserver = XServer(screen)
    game = None
    try:
        # Settings of its own: a player's remembered window must not change
        # what is measured, and the measuring must not change the player's.
        env = dict(os.environ, DISPLAY=xserver.display,
                   XDG_CONFIG_HOME=os.path.join(workdir, "config"), **variables)
        for var in ("VELMORA_VIDEO", "VELMORA_WINDOWED", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"):
            env.pop(var, None)
        game = start([binary, "--fullscreen"], env=env, stdout=subprocess.DEVNULL,
                     stderr=subprocess.DEVNULL)
        time.sleep(settle)
        if game.poll() is not None:
            raise Failure("%s ended at start with status %d" % (binary, game.returncode))
        yield (xserver.display, game.pid, tuple(int(v) for v in screen.split("x")[:2]),
               xserver.process.pid)
    finally:
        if game is not None:
            stop_process(game)
        xserver.stop()


def run_linux(binary, workdir, name, cpu_of=cpu_seconds):
    with linux_game(binary, workdir, 2.0) as (display, pid, size, _):
        start_play(display)
        return measure(display, [pid], workdir, name, size, cpu_of)


@contextlib.contextmanager
def wine_game(exe, prefix, workdir, screen="800x600x24"):
    """The Windows build under Wine on an Xvfb of its own (`screen`), a
    second after its display is set up: yields the X display. The game, the
    prefix's wineserver and the X server are stopped after."""
    xserver = XServer(screen)
    game = None
    try:
        game = winehost.WineGame(exe, prefix, xserver.display, workdir)
        # Its eleven progress lines: the display is set up.
        ready = wait_until(lambda: len(game.debug_lines()) >= 11 or game.exited(), 60)
        if not ready or game.exited():
            raise Failure("the Windows build did not start under Wine: %s" % game.debug_lines())
        time.sleep(1.0)
        yield xserver.display
    finally:
        if game is not None:
            game.stop()
        winehost.stop_wineserver(prefix)
        xserver.stop()


def run_wine(exe, prefix, workdir, name):
    with wine_game(exe, prefix, workdir) as display:
        start_play(display)
        pids = list(winehost.program_and_server(prefix, "velmora.exe"))
        return measure(display, pids, workdir, name, (winehost.SCREEN_W, winehost.SCREEN_H))


@contextlib.contextmanager
def wine_desktop_game(exe, prefix, workdir, screen=LINUX_SCREEN, args=()):
    """velmora-desktop.exe under openbox on an Xvfb of its own (`screen`), a
    second after its display is set up: yields (display, the X server's
    pid). Everything is stopped after."""
    xserver = XServer(screen)
    openbox = game = None
    try:
        openbox = Openbox(xserver)
        game = winehost.WineGame(exe, prefix, xserver.display, workdir, args=args)
        ready = wait_until(lambda: len(game.debug_lines()) >= 12 or game.exited(), 60)
        if not ready or game.exited():
            raise Failure("the desktop build did not start under Wine: %s" % game.debug_lines())
        time.sleep(1.0)
        yield xserver.display, xserver.process.pid
    finally:
        if game is not None:
            game.stop()
        winehost.stop_wineserver(prefix)
        if openbox is not None:
            openbox.stop()
        xserver.stop()


def run_wine_desktop(exe, prefix, workdir, name):
    """velmora-desktop.exe full screen on the Linux build's screen; the game,
    its wineserver and the X server counted, as for Linux."""
    with wine_desktop_game(exe, prefix, workdir) as (display, server):
        start_play(display)
        pids = list(winehost.program_and_server(prefix, "velmora-desktop.exe"))
        size = tuple(int(v) for v in LINUX_SCREEN.split("x")[:2])
        return measure(display, pids + [server], workdir, name, size)


def run_linux_with_server(binary, workdir, name):
    with linux_game(binary, workdir, 2.0) as (display, pid, size, server):
        start_play(display)
        return measure(display, [pid, server], workdir, name, size)


def summary(label, values, unit, scale=1.0):
    return "%-22s median %8.3f %s, range %.3f - %.3f" % (
        label, statistics.median(values) * scale, unit, min(values) * scale, max(values) * scale)


def alternate(rounds, first, second):
    """Runs two sides ROUNDS times, alternating which goes first so that drift
    in the machine's load falls on both. first and second are (name, run)
    with run(round) -> (CPU seconds per frame, frames per second, CPU seconds
    per frame with no screenshot taken). Prints each run, then the medians,
    ranges and first/second ratio of both CPU figures."""
    results = {first[0]: [], second[0]: []}
    for r in range(rounds):
        for name, run in (first, second) if r % 2 == 0 else (second, first):
            per_frame, fps, quiet = run(r)
            results[name].append((per_frame, fps, quiet))
            print("round %d %-5s  %7.1f frames/s  %.4f ms CPU per frame, %.4f ms with no "
                  "screenshot" % (r + 1, name, fps, per_frame * 1000, quiet * 1000), flush=True)
    print()
    for label, i in (("CPU per frame", 0), ("frames/s", 1), ("CPU, no screenshot", 2)):
        for name in (first[0], second[0]):
            print(summary("%s %s" % (name, label), [v[i] for v in results[name]],
                          "  " if i == 1 else "ms", 1.0 if i == 1 else 1000))
    for label, i in (("CPU per frame", 0), ("CPU per frame with no screenshot", 2)):
        ratios = [a[i] / b[i] for a, b in zip(results[first[0]], results[second[0]])]
        median_ratio = (statistics.median(v[i] for v in results[first[0]]) /
                        statistics.median(v[i] for v in results[second[0]]))
        print("%s/%s %s: %.3f (ratio of the medians; per round %.3f - %.3f)" %
              (first[0], second[0], label, median_ratio, min(ratios), max(ratios)))


def main(argv):
    if len(argv) not in (4, 5):
        print(__doc__, file=sys.stderr)
        return 2
    binary, exe, prefix, workdir = (os.path.abspath(a) for a in argv[:4])
    rounds = int(argv[4]) if len(argv) == 5 else 5
    os.makedirs(workdir, exist_ok=True)
    desktop = os.path.basename(exe) == "velmora-desktop.exe"
    if not os.path.isfile(os.path.join(prefix, "user.reg")):
        print("making the Wine prefix (once)", flush=True)
        winehost.create_prefix(prefix, desktop=not desktop)
    try:
        if desktop:
            alternate(rounds, ("Linux", lambda r: run_linux_with_server(binary, workdir,
                                                                        "linux-%d" % r)),
                      ("Wine", lambda r: run_wine_desktop(exe, prefix, workdir, "wine-%d" % r)))
        else:
            alternate(rounds, ("Linux", lambda r: run_linux(binary, workdir, "linux-%d" % r)),
                      ("Wine", lambda r: run_wine(exe, prefix, workdir, "wine-%d" % r)))
    except (Failure, subprocess.SubprocessError, OSError) as failure:
        print("FAILED: %s" % failure, file=sys.stderr)
        return 1
    finally:
        winehost.no_more_alarms()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
