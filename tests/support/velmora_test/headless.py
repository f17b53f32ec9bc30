"""The native build run headless from a script: its status, what it wrote to
standard error and the frames it captured. The other builds' suites compare
their frames with these."""

import os
import shutil
import subprocess
import tempfile

from . import Failure
from .images import load


class Run:
    """The outcome of one headless run: status, standard error, captured frames."""

    def __init__(self, status, stderr, captures):
        self.status = status
        self.stderr = stderr
        self.captures = captures

    def frame(self, number):
        return self.captures[number]


def run(binary, script, extra_env=None, timeout=120, prepare=None, folder=None):
    """Runs the binary on the script's lines (`N event`; `N capture` writes
    frame N + 1) in `folder`, or in a temporary one when not given. prepare(folder),
    when given, may put files there first and returns environment entries of its own."""
    if folder is None:
        with tempfile.TemporaryDirectory() as scratch:
            return run(binary, script, extra_env, timeout, prepare, scratch)
    os.makedirs(folder, exist_ok=True)
    script_path = os.path.join(folder, "script.txt")
    with open(script_path, "w") as handle:
        handle.write("\n".join(script) + "\n")
    env = dict(os.environ, VELMORA_VIDEO="headless", VELMORA_SCRIPT=script_path,
               VELMORA_CAPTURE=folder)
    env.update(extra_env or {})
    if prepare is not None:
        env.update(prepare(folder) or {})
    done = subprocess.run([binary], cwd=folder, env=env, capture_output=True, timeout=timeout,
                          text=True)
    captures = {int(name[6:-4]): load(os.path.join(folder, name))
                for name in os.listdir(folder)
                if name.startswith("frame-") and name.endswith(".png")}
    return Run(done.returncode, done.stderr, captures)


# The moments the other builds must show too: the title before and after the
# first second (when the FPS text appears), the first play frame after Space
# (the ball at its starting place), and one with the ball moved away from it,
# which together give the play background without the ball.
REFERENCE_SCRIPT = ["2 capture", "1100 capture", "1101 down SPACE", "1102 up SPACE",
                    "1102 capture", "1103 down LEFT", "1123 up LEFT", "1124 capture"]
REFERENCE_FRAMES = {3: "title", 1101: "title_fps", 1103: "play", 1125: "play_left"}


def reference_frames(binary, folder):
    """The native build's reference frames by name, captured into a fresh
    `folder` (left there to look at)."""
    shutil.rmtree(folder, ignore_errors=True)
    result = run(binary, REFERENCE_SCRIPT, timeout=60, folder=folder)
    if result.status != 0:
        raise Failure("the native build ended with %d, expected 0:\n%s" %
                      (result.status, result.stderr))
    missing = [n for n in REFERENCE_FRAMES if n not in result.captures]
    if missing:
        raise Failure("the native build captured no frame %s; it captured %s" %
                      (missing, sorted(result.captures)))
    return {name: result.frame(number) for number, name in REFERENCE_FRAMES.items()}


# Software centres show the title and a moment of play as a player saw them:
# the committed recording replayed up to those frames, so the FPS digits are
# a real display's rather than the virtual clock's.
RECORDING = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "bench",
                         "timedemo.txt")
SHOWCASE_FRAMES = {160: "title", 450: "play"}


def showcase_frames(binary, folder):
    """The title and play frames of the committed recording, by name."""
    with open(RECORDING) as handle:
        lines = handle.read().splitlines()
    last = max(SHOWCASE_FRAMES)
    wanted = ["%d capture" % number for number in SHOWCASE_FRAMES]
    events = [line for line in lines[1:] if int(line.split()[0]) <= last] + wanted
    events.sort(key=lambda line: int(line.split()[0]))
    shutil.rmtree(folder, ignore_errors=True)
    result = run(binary, lines[:1] + events, timeout=60, folder=folder)
    if result.status != 0:
        raise Failure("the recording ended with %d, expected 0:\n%s" %
                      (result.status, result.stderr))
    return {name: result.frame(number + 1) for number, name in SHOWCASE_FRAMES.items()}
