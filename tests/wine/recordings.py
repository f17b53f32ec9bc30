#!/usr/bin/env python3
"""Recordings between the Linux build and velmora-desktop.exe, on an X screen
of their own under openbox.

  recordings.py EXE NATIVE PREFIX WORKDIR

A session played under Wine with real keys and a minimise, --record and
--verbose replays headless on Linux to the frames F9 saved under Wine, pixel
for pixel, the FPS digits included; --verbose put the set-up lines on
standard error; --timedemo of it prints its figures, and --replay plays it at
its pace to its end. A session played in the Linux build's window with
--record replays under Wine to the frame Linux replays it to (the FPS row
aside: past the recording's end the clock is the machine's); Escape ends it.
"""

import os
import re
import signal
import subprocess
import sys
import time

import wine_suite as suite
from velmora_test import Failure, desktop, frames, headless, images
from velmora_test import wine as winehost
from velmora_test.desktop import Openbox
from velmora_test.processes import stop_process
from velmora_test.waiting import wait_until
from velmora_test.xserver import XServer

SMALL_WINDOW = ["--window", "--scale", "1"]
SIZE = (frames.WIDTH, frames.HEIGHT)


class NativeGame:
    """The Linux build in an SDL window on the suite's X screen."""

    def __init__(self, binary, display, workdir, args):
        self.env = dict(os.environ, DISPLAY=display, HOME=workdir, SDL_RENDER_DRIVER="software",
                        XDG_CONFIG_HOME=os.path.join(workdir, "config"))
        for name in ("WAYLAND_DISPLAY", "VELMORA_VIDEO", "VELMORA_WINDOWED"):
            self.env.pop(name, None)
        self.stderr_path = os.path.join(workdir, "native-stderr.txt")
        with open(self.stderr_path, "w") as stderr:
            self.process = subprocess.Popen([binary, *args], env=self.env, stderr=stderr,
                                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)

    def exited(self):
        return self.process.poll() is not None

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, timeout=10, check=True)

    def whole_screen(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, timeout=20, check=True)
        return path


def play(game, workdir, native_frames, screenshot=lambda count: None):
    """Title, Space to play, Left held until the ball has moved, minimised
    and back; the screenshot key on the title and at the end."""
    suite.expect_window(game, workdir, "title", native_frames["title"])
    # A second of play at least before the keys: the FPS text has come.
    title, _scale, _row = suite.window_picture(native_frames["title"], SIZE)

    def counted():
        shot = suite.window_shot(game, workdir, SIZE)
        return shot is not None and images.differences(shot, title)

    if not wait_until(counted, suite.FRAME_WAIT, step=0.2):
        raise Failure("no FPS text on the title")
    screenshot(1)
    game.xdotool("keydown", "space")
    try:
        suite.expect_window(game, workdir, "play", native_frames["play"])
    finally:
        game.xdotool("keyup", "space")
    expected, _scale, fps_row = suite.window_picture(native_frames["play"], SIZE)

    def moved():
        shot = suite.window_shot(game, workdir, SIZE)
        return shot is not None and images.differences(shot, expected, (fps_row,))

    game.xdotool("keydown", "Left")
    try:
        if not wait_until(moved, suite.FRAME_WAIT, step=0.2):
            raise Failure("Left held did not move the ball")
    finally:
        game.xdotool("keyup", "Left")
    minimised_and_back(game, workdir)
    screenshot(2)


def minimised_and_back(game, workdir):
    """The window minimised and brought back: the game's frames stop and it
    restores its surfaces; the picture is the one before, the FPS row aside."""
    window = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % frames.TITLE],
                            env=game.env, capture_output=True, text=True,
                            timeout=10).stdout.split()[0]
    before = suite.window_shot(game, workdir, SIZE)
    fps_row = suite.window_picture(before, SIZE)[2]
    game.xdotool("windowminimize", window)
    if not wait_until(lambda: desktop.iconic(game.env["DISPLAY"], window), suite.FRAME_WAIT):
        raise Failure("the window was not minimised")
    game.xdotool("windowactivate", window)

    def back():
        shot = suite.window_shot(game, workdir, SIZE)
        return shot is not None and not images.differences(shot, before, (fps_row,))

    if not wait_until(back, suite.FRAME_WAIT, step=0.2):
        raise Failure("the picture did not come back after the window was minimised")


def escape_ends(game, what):
    game.xdotool("key", "Escape")
    if not wait_until(game.exited, 30, step=0.2) or game.process.returncode != 0:
        raise Failure("%s: Escape ended it with status %s, expected 0"
                      % (what, game.process.poll()))


def shots_in_order(folder):
    names = os.listdir(folder) if os.path.isdir(folder) else []
    return sorted((os.path.join(folder, n) for n in names), key=os.path.getmtime)


def recorded_under_wine(exe, prefix, workdir, native_frames, xserver):
    recording, shots = os.path.join(workdir, "wine.txt"), os.path.join(workdir, "shots")
    os.environ["VELMORA_SCREENSHOT_DIR"] = suite.winehost_path(shots)

    def body(game, _session):
        def screenshot(count):
            game.xdotool("key", "F9")
            if not wait_until(lambda: len(shots_in_order(shots)) >= count, suite.FRAME_WAIT):
                raise Failure("F9 wrote no screenshot %d in %s" % (count, shots))

        suite.check_progress_lines(game, [suite.OWN_DDRAW] + suite.PROGRESS_LINES)
        play(game, workdir, native_frames, screenshot)
        escape_ends(game, "the session recorded under Wine")
        with open(game.stderr_path, encoding="utf-8", errors="replace") as log:
            plain = log.read().splitlines()
        if any(line not in plain for line in suite.PROGRESS_LINES):
            raise Failure("--verbose: the set-up lines are not on standard error")

    args = SMALL_WINDOW + ["--verbose", "--record", suite.winehost_path(recording)]
    suite.run_game(os.path.abspath(exe), prefix, workdir, body, xserver, args=args)
    with open(recording) as handle:
        text = handle.read()
    missing = [want for want in ("velmora-script 1", "down SPACE", "down LEFT", "minimize",
                                 "restore", "capture", "tick") if want not in text]
    if missing:
        raise Failure("the recording made under Wine has no %s" % missing)
    suite.log("recorded under Wine with --verbose's lines on standard error")
    return recording, shots_in_order(shots)


def replayed_on_linux(native, recording, taken, workdir):
    replay = headless.run(native, [], {"VELMORA_SCRIPT": recording}, 120,
                          folder=os.path.join(workdir, "linux-replay"))
    numbers = sorted(replay.captures)
    if replay.status != 0 or len(numbers) != len(taken):
        raise Failure("the Linux replay: status %d, frames %s captured for %d screenshots: %s"
                      % (replay.status, numbers, len(taken), replay.stderr))
    for number, path in zip(numbers, taken):
        diffs = images.differences(replay.frame(number), images.load(path))
        if diffs:
            marked = suite.save_diff(workdir, "linux-%d" % number, images.load(path), diffs)
            raise Failure("frame %d replayed on Linux differs from %s (marked in %s):\n%s"
                          % (number, path, marked, images.describe(diffs, "linux", "wine")))
    suite.log("replayed on Linux: frames %s equal Wine's screenshots" % numbers)


def run_wine(exe, prefix, xserver, *args):
    """Runs the game to its end: what it did, and how long it took."""
    began = time.monotonic()
    done = subprocess.run(["wine", os.path.abspath(exe), *args],
                          env=winehost.wine_env(prefix, xserver.display), capture_output=True,
                          text=True, timeout=120, stdin=subprocess.DEVNULL)
    return done, time.monotonic() - began


def timedemo_and_replay_under_wine(exe, prefix, recording, xserver):
    """The timed demo's line; the replay at the recorded pace, to its end:
    longer than the timed demo (the same start-up) by most of the recording."""
    with open(recording) as handle:
        text = handle.read()
    last = int(re.findall(r"^(\d+) ", text, re.M)[-1])
    readings = [int(ms) for ms in re.findall(r"^\d+ tick (\d+)$", text, re.M)]
    # A pause of more than a second (minimised) replays as one.
    recorded = sum(min(b - a, 1000) for a, b in zip(readings, readings[1:])) / 1000
    done, timed = run_wine(exe, prefix, xserver, "--timedemo", suite.winehost_path(recording))
    said = re.search(r"^timedemo .*wine\.txt: (\d+) frames, [\d.]+ s, [\d.]+ frames per second",
                     done.stdout, re.M)
    if done.returncode != 0 or not said or int(said.group(1)) != last:
        raise Failure("--timedemo: status %d and %r, expected 0 and a line of %d frames"
                      % (done.returncode, done.stdout, last))
    suite.log("--timedemo: %s" % done.stdout.strip())
    done, replayed = run_wine(exe, prefix, xserver, "--replay", suite.winehost_path(recording))
    if done.returncode != 0 or replayed - timed < 0.5 * recorded:
        raise Failure("--replay: status %d after %.1f s, the timed demo %.1f s, for %.1f s "
                      "recorded; expected status 0 and a replay at its pace"
                      % (done.returncode, replayed, timed, recorded))
    suite.log("--replay: %.1f s, the timed demo %.1f s, for %.1f s recorded"
              % (replayed, timed, recorded))


def recorded_on_linux(native, xserver, workdir, native_frames):
    recording = os.path.join(workdir, "linux.txt")
    game = NativeGame(native, xserver.display, workdir,
                      SMALL_WINDOW + ["--verbose", "--record", recording])
    try:
        def set_up():
            with open(game.stderr_path) as stderr:
                return game.exited() or suite.PROGRESS_LINES[-1] in stderr.read()

        if not wait_until(set_up, suite.FRAME_WAIT, step=0.2) or game.exited():
            raise Failure("the Linux build did not set up its window")
        play(game, workdir, native_frames)
        escape_ends(game, "the session recorded on Linux")
    finally:
        stop_process(game.process)
    return recording


def ending_with(recording, action):
    """The recording with `action` at the frame of the Escape that ended it,
    instead of the Escape."""
    with open(recording) as handle:
        lines = handle.read().splitlines()
    escapes = [n for n, line in enumerate(lines) if line.endswith(" down ESCAPE")]
    if not escapes:
        raise Failure("the Linux recording has no Escape: %s" % lines[-3:])
    path = "%s.%s" % (recording, action.split()[0])
    with open(path, "w") as handle:
        frame = lines[escapes[-1]].split()[0]
        handle.write("\n".join(lines[:escapes[-1]] + ["%s %s" % (frame, action)]) + "\n")
    return path


def replayed_under_wine(exe, native, recording, prefix, workdir, xserver):
    replay = headless.run(native, [], {"VELMORA_SCRIPT": ending_with(recording, "capture")}, 120,
                          folder=os.path.join(workdir, "linux-final"))
    if replay.status != 0 or len(replay.captures) != 1:
        raise Failure("Linux's replay to the last frame: status %d, captures %s: %s"
                      % (replay.status, sorted(replay.captures), replay.stderr))

    def body(game, _session):
        suite.expect_window(game, workdir, "the replay's last frame",
                            next(iter(replay.captures.values())))
        escape_ends(game, "the replay under Wine")

    # Held at its end, far longer than the suite waits, so that its last
    # frame stays on the screen.
    held = ending_with(recording, "idle 10000000")
    suite.run_game(os.path.abspath(exe), prefix, workdir, body, xserver,
                   args=SMALL_WINDOW + ["--replay", suite.winehost_path(held)])
    suite.log("the Linux recording replayed under Wine to Linux's last frame")


def recordings_command(exe, native, prefix, workdir):
    suite.fresh_workdir(workdir)
    workdir = os.path.abspath(workdir)
    native_frames = headless.reference_frames(native, os.path.join(workdir, "native"))
    xserver = XServer.of_size(*suite.SCREEN)
    openbox = None
    try:
        openbox = Openbox(xserver)
        for ini in suite.settings_files(prefix):
            os.remove(ini)
        recording, taken = recorded_under_wine(exe, prefix, workdir, native_frames, xserver)
        replayed_on_linux(native, recording, taken, workdir)
        timedemo_and_replay_under_wine(exe, prefix, recording, xserver)
        linux = recorded_on_linux(native, xserver, workdir, native_frames)
        replayed_under_wine(exe, native, linux, prefix, workdir, xserver)
    finally:
        if openbox is not None:
            openbox.stop()
        xserver.stop()
        winehost.stop_wineserver(prefix)


def main(argv):
    signal.signal(signal.SIGALRM, suite.on_alarm)
    signal.signal(signal.SIGTERM, suite.on_alarm)
    signal.alarm(suite.SESSION_LIMIT)
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        recordings_command(*argv)
    except (Failure, subprocess.SubprocessError, OSError) as failure:
        suite.log("FAILED: %s" % failure)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
