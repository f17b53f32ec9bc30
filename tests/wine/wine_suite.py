"""End-to-end checks of velmora.exe under Wine, against the native build.

  wine_suite.py prefix  PREFIX                      make the suite's Wine prefix
  wine_suite.py imports EXE                         the .exe needs only system DLLs
  wine_suite.py session EXE NATIVE PREFIX WORKDIR   play it under Wine and compare

Wine's ddraw, user32 and gdi32 stand for the real platform here: the title and
play frames it shows must equal, pixel for pixel, the frames that the native
build (our own platform layer, run headless) captures of the same moments.
"""

import os
import shutil
import signal
import subprocess
import sys
import time

import frames
import winehost
from winehost import Failure

PROGRESS_LINES = [
    "DirectDrawCreateEx OK", "SetCooperativeLevel OK", "SetDisplayMode OK", "CreateSurface OK",
    "GetAttachedSurface OK", "DDLoadPalette OK", "SetPalette OK", "DDLoadBitmap BackImage OK",
    "DDLoadBitmap Strings OK", "DDLoadBitmap Title OK", "DDLoadBitmap Chara OK"
]

# DLLs that every Windows has; anything else would have to ship with the game.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "ddraw.dll", "msvcrt.dll",
               "advapi32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll", "comdlg32.dll",
               "winspool.drv"}

SESSION_LIMIT = 240  # seconds; well inside the test's own timeout
FRAME_WAIT = 30
SETUP_STALL = 30
HERE = os.path.dirname(os.path.abspath(__file__))
STARTED = time.monotonic()


def log(text):
    print("[%6.1fs] %s" % (time.monotonic() - STARTED, text), flush=True)


def check_imports(exe):
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], capture_output=True,
                          text=True, timeout=60, check=True).stdout
    dlls = [line.split(":", 1)[1].strip() for line in dump.splitlines()
            if line.strip().startswith("DLL Name:")]
    log("imports: " + ", ".join(dlls))
    if "(Windows GUI)" not in dump:
        raise Failure("velmora.exe is not built for the Windows GUI subsystem")
    if not dlls:
        raise Failure("no imported DLLs found in %s" % exe)
    foreign = [d for d in dlls if d.lower() not in SYSTEM_DLLS]
    if foreign:
        raise Failure("velmora.exe needs DLLs that Windows does not have: %s" % foreign)
    if "ddraw.dll" not in [d.lower() for d in dlls]:
        raise Failure("velmora.exe does not import ddraw.dll")


# The frames native_frames.txt captures, by number.
NATIVE_FRAMES = {3: "title", 1101: "title_fps", 1103: "play", 1125: "play_left"}


def capture_native(native, workdir):
    """The native build's title and first play frame, run headless."""
    capture_dir = os.path.join(workdir, "native")
    shutil.rmtree(capture_dir, ignore_errors=True)
    os.makedirs(capture_dir)
    env = dict(os.environ, VELMORA_VIDEO="headless", VELMORA_CAPTURE=capture_dir,
               VELMORA_SCRIPT=os.path.join(HERE, "native_frames.txt"))
    result = subprocess.run([native], env=env, timeout=60, capture_output=True, text=True)
    if result.returncode != 0:
        raise Failure("the native build ended with %d:\n%s" % (result.returncode, result.stderr))
    return {name: frames.load(os.path.join(capture_dir, "frame-%06d.png" % number))
            for number, name in NATIVE_FRAMES.items()}


def save_diff(workdir, name, shot, diffs):
    marked = shot.convert("L").convert("RGB")
    px = marked.load()
    for x, y, _, _ in diffs:
        px[x, y] = (255, 0, 0)
    path = os.path.join(workdir, "diff-%s.png" % name)
    marked.save(path)
    return path


class Session:
    def __init__(self, game, workdir):
        self.game = game
        self.workdir = workdir
        self.shots = 0

    def shot(self):
        self.shots += 1
        path = os.path.join(self.workdir, "shot-%03d.png" % self.shots)
        return frames.load(self.game.screenshot(path))

    def expect_frame(self, name, expected, ignore=(frames.FPS_BOX,)):
        """Waits until the screen shows `expected` outside the boxes to ignore
        (by default the FPS text)."""
        last = {}

        def matches():
            if self.game.exited():
                raise Failure("the game ended while waiting for the %s frame" % name)
            last["shot"] = self.shot()
            last["diffs"] = frames.differences(last["shot"], expected, ignore)
            return not last["diffs"]

        if winehost.wait_until(matches, FRAME_WAIT, step=0.2):
            log("%s frame: equal to the native one" % name)
            return last["shot"]
        path = save_diff(self.workdir, name, last["shot"], last["diffs"])
        raise Failure("the %s frame under Wine differs from the native one (marked in %s):\n%s" %
                      (name, path, frames.describe(last["diffs"])))

    def hold_until_frame(self, key, name, expected):
        self.game.key_down(key)
        try:
            return self.expect_frame(name, expected)
        finally:
            self.game.key_up(key)

    def ball(self, reference, sprite):
        shot = self.shot()
        where = frames.locate_ball(shot, reference, sprite)
        if where is None:
            path = save_diff(self.workdir, "ball", shot, frames.differences(shot, reference))
            raise Failure("the ball is nowhere on the screen (see %s)" % path)
        return where

    def resting_ball(self, reference, sprite):
        """The ball's place once it has stopped: on a busy machine the key's
        release can reach the game a little after the screenshot."""
        seen = [self.ball(reference, sprite)]

        def still():
            seen.append(self.ball(reference, sprite))
            return seen[-1] == seen[-2]

        if not winehost.wait_until(still, FRAME_WAIT, step=0.1):
            raise Failure("the ball keeps moving with no key down: %s" % seen[-5:])
        return seen[-1]

    def tap_until_moved(self, key, start, reference, sprite):
        """Short key presses until the ball has left `start`; its new place."""
        for _ in range(20):
            self.game.key_down(key)
            time.sleep(0.08)
            self.game.key_up(key)
            where = self.resting_ball(reference, sprite)
            if where != start:
                return where
        raise Failure("%s did not move the ball from %s" % (key, start))


def play_background(native_frames, sprite):
    moved = native_frames["play_left"]
    where = frames.locate_ball(moved, native_frames["play"], sprite)
    if where is None or where[0] > frames.BALL_START[0] - frames.BALL_SIZE:
        raise Failure("the native build did not move the ball left: %s" % (where,))
    return frames.without_ball(moved, where, native_frames["play"])


def check_movement(session, play, sprite, background):
    """Each arrow moves the ball its way, and every frame on the way is the
    play background with the ball at its new place."""
    where = frames.BALL_START
    for key, axis, sign in (("Left", 0, -1), ("Up", 1, -1), ("Right", 0, 1), ("Down", 1, 1)):
        moved = session.tap_until_moved(key, where, play, sprite)
        steps = (frames.field_step(where[0], moved[0], *frames.FIELD_X),
                 frames.field_step(where[1], moved[1], *frames.FIELD_Y))
        log("%s: ball %s -> %s" % (key, where, moved))
        if steps[axis] * sign <= 0 or steps[1 - axis] != 0:
            raise Failure("%s moved the ball from %s to %s" % (key, where, moved))
        session.expect_frame("play, ball at %s" % (moved,),
                             frames.with_ball(background, sprite, *moved))
        where = moved


def check_progress_lines(game):
    # Set-up takes a second or two; a failed step shows a message box and waits.
    progress = {"lines": [], "since": time.monotonic()}

    def complete():
        if game.exited():
            raise Failure("the game ended during set-up with status %s; debug output: %s" %
                          (game.process.returncode, game.debug_lines()))
        lines = game.debug_lines()
        if lines != progress["lines"]:
            progress.update(lines=lines, since=time.monotonic())
        if time.monotonic() - progress["since"] > SETUP_STALL:
            raise Failure("set-up stopped after %s (a failed step shows a message box)" % lines)
        return len(lines) >= len(PROGRESS_LINES)

    if not winehost.wait_until(complete, 90, step=0.2):
        raise Failure("set-up did not finish; debug output so far: %s" % game.debug_lines())
    lines = game.debug_lines()
    if lines != PROGRESS_LINES:
        raise Failure("progress lines %s, expected %s" % (lines, PROGRESS_LINES))
    log("the eleven progress lines, in order")


def play_session(exe, native_frames, prefix, workdir):
    xserver = winehost.XServer()
    game = None
    try:
        log("Xvfb on %s" % xserver.display)
        game = winehost.WineGame(exe, prefix, xserver.display, workdir)
        session = Session(game, workdir)
        check_progress_lines(game)
        session.expect_frame("title", native_frames["title"])
        session.expect_frame("title with FPS text", native_frames["title_fps"],
                             ignore=(frames.FPS_DIGITS_BOX,))
        play = session.hold_until_frame("space", "play", native_frames["play"])
        sprite = frames.ball_pixels(native_frames["play"], *frames.BALL_START)
        check_movement(session, play, sprite, play_background(native_frames, sprite))
        session.hold_until_frame("s", "title after S", native_frames["title"])
        game.key_down("Escape")
        status = game.wait_exit(30)
        game.key_up("Escape")
        if status is None:
            raise Failure("Escape did not end the game")
        if status != 0:
            raise Failure("the game ended with status %d after Escape" % status)
        if game.debug_lines() != PROGRESS_LINES:
            raise Failure("unexpected debug output: %s" % game.debug_lines()[11:])
        log("Escape: the game ended with status 0")
    except Failure:
        if game is not None and not game.exited():
            path = game.screenshot(os.path.join(workdir, "failure.png"))
            log("the screen at the failure: %s" % path)
        raise
    finally:
        winehost.no_more_alarms()
        if game is not None:
            game.stop()
        xserver.stop()


def session_command(exe, native, prefix, workdir):
    shutil.rmtree(workdir, ignore_errors=True)
    os.makedirs(workdir)
    native_frames = capture_native(native, workdir)
    log("native frames captured")
    play_session(os.path.abspath(exe), native_frames, prefix, workdir)


def on_alarm(signum, frame):
    raise Failure("the session took longer than %d s" % SESSION_LIMIT)


def main(argv):
    signal.signal(signal.SIGALRM, on_alarm)
    signal.signal(signal.SIGTERM, on_alarm)
    signal.alarm(SESSION_LIMIT)
    try:
        if argv[:1] == ["prefix"] and len(argv) == 2:
            winehost.create_prefix(os.path.abspath(argv[1]))
            log("Wine prefix ready")
        elif argv[:1] == ["imports"] and len(argv) == 2:
            check_imports(argv[1])
        elif argv[:1] == ["session"] and len(argv) == 5:
            session_command(*argv[1:])
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except (Failure, subprocess.SubprocessError, OSError) as failure:
        log("FAILED: %s" % failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
