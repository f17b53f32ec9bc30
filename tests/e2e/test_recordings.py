"""Recordings from outside: a damaged, newer, endless or hostile file is
refused before the game starts (headless, and before any window) with one
line naming the file, the line and the reason; a recording that stops between
two lines of a frame, as one cut short by a crash does, plays to its end, and
one cut inside a line plays up to the line before with one warning."""

import os
import subprocess
import tempfile
import unittest

from velmora_run import BINARY, run

HANG = 60
HEADER = b"velmora-script 1\n"

BAD = [
    ("damaged", HEADER + b"0 tick 10\n\x00\xff 0 down LEFT\n",
     "3: expected a frame number, not '??'"),
    ("endless", HEADER + b"0 tick 0\n1000000000 capture\n",
     "3: frame 1000000000 is past any session (at most 16777216)"),
    ("newer", b"velmora-script 7\n0 tick 10\n",
     "1: written by a newer Velmora (format version 7; this one plays up to 1)"),
    ("hostile", HEADER + b"0 \x1b]0;title\x07" + b"A" * 100000 + b"\n",
     "2: unknown action '?]0;title?" + "A" * 14 + "...'"),
]


def write_file(folder, name, data):
    path = os.path.join(folder, name)
    with open(path, "wb") as handle:
        handle.write(data)
    return path


class BadRecordings(unittest.TestCase):
    def test_headless_each_is_one_line_naming_file_line_and_reason(self):
        for name, data, where in BAD:
            with self.subTest(name):
                paths = []

                def prepare(folder):
                    paths.append(write_file(folder, name + ".txt", data))
                    return {"VELMORA_SCRIPT": paths[0]}

                result = run([], None, HANG, prepare)
                self.assertEqual(2, result.status, result.stderr)
                self.assertEqual("velmora: %s:%s\n" % (paths[0], where), result.stderr)

    def test_in_the_window_each_is_refused_before_any_window(self):
        # No display at all: the file's line comes before the back end starts.
        env = without_display()
        folder = self.enterContext(tempfile.TemporaryDirectory())
        for name, data, where in BAD:
            path = write_file(folder, name + ".txt", data)
            for option in ("--replay", "--timedemo"):
                with self.subTest(name, option=option):
                    done = subprocess.run([BINARY, option, path], env=env, capture_output=True,
                                          text=True, timeout=HANG)
                    self.assertEqual(2, done.returncode, done.stderr)
                    self.assertEqual("velmora: %s:%s\n" % (path, where), done.stderr)
        # One that cannot be read at all is called what it is: a recording.
        for option in ("--replay", "--timedemo"):
            with self.subTest("a folder", option=option):
                done = subprocess.run([BINARY, option, folder], env=env, capture_output=True,
                                      text=True, timeout=HANG)
                self.assertEqual((2, "velmora: %s: cannot read the recording (is a directory)\n"
                                  % folder), (done.returncode, done.stderr))


def without_display():
    env = dict(os.environ)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "VELMORA_VIDEO"):
        env.pop(name, None)
    return env


class RecordOnto(unittest.TestCase):
    def test_an_existing_file_is_refused_and_kept_a_new_one_left_by_no_run(self):
        folder = self.enterContext(tempfile.TemporaryDirectory())
        kept = write_file(folder, "hours.txt", HEADER + b"0 tick 10\n")
        done = subprocess.run([BINARY, "--record", kept], env=without_display(),
                              capture_output=True, text=True, timeout=HANG)
        with open(kept, "rb") as handle:
            found = handle.read()
        self.assertEqual((2, "velmora: cannot write the recording %s (it exists; a recording is "
                          "never written over: name a new file)\n" % kept, HEADER + b"0 tick 10\n"),
                         (done.returncode, done.stderr, found))
        # With no display the game never starts: the file made for it goes
        # too, or the next try would be refused.
        new = os.path.join(folder, "new.txt")
        done = subprocess.run([BINARY, "--record", new], env=without_display(),
                              capture_output=True, text=True, timeout=HANG)
        self.assertEqual((2, False), (done.returncode, os.path.exists(new)), done.stderr)


def play_measured(path, folder):
    """Plays a recording headless: status, standard error, the captured frame
    numbers and the most memory the process held (bytes)."""
    env = dict(os.environ, VELMORA_VIDEO="headless", VELMORA_SCRIPT=path, VELMORA_CAPTURE=folder)
    with tempfile.TemporaryFile() as stderr:
        process = subprocess.Popen([BINARY], cwd=folder, env=env, stdout=subprocess.DEVNULL,
                                   stderr=stderr)
        _, status, usage = os.wait4(process.pid, 0)
        process.returncode = os.waitstatus_to_exitcode(status)
        stderr.seek(0)
        said = stderr.read().decode(errors="replace")
    captures = sorted(name for name in os.listdir(folder) if name.startswith("frame-"))
    return process.returncode, said, captures, usage.ru_maxrss * 1024


class Long(unittest.TestCase):
    def test_one_over_64_mib_plays_in_the_memory_of_a_short_one(self):
        # Clock lines make the size, as in a real recording; kept to frame 0
        # the game plays only a few frames, yet every line is read.
        # Written a part at a time: the test's own memory is counted in the
        # game's too (it is forked from it).
        play = b"2 down SPACE\n3 up SPACE\n3 capture\n"
        part = b"0 tick 1000\n" * (1 << 16)
        folder = self.enterContext(tempfile.TemporaryDirectory())
        results = []
        for name, parts in (("short", 1), ("long", (64 << 20) // len(part) + 1)):
            path = os.path.join(folder, name + ".txt")
            with open(path, "wb") as handle:
                handle.write(HEADER)
                for _ in range(parts):
                    handle.write(part)
                handle.write(play)
            os.mkdir(os.path.join(folder, name))
            results.append(play_measured(path, os.path.join(folder, name)))
        (_, _, _, short_memory), (status, said, captures, long_memory) = results
        self.assertEqual((0, ["frame-000004.png"]), (status, captures), said)
        self.assertLess(long_memory - short_memory, 16 << 20,
                        "%.0f MiB more than for the short one" % ((long_memory - short_memory) / 2**20))


class EndsMidFrame(unittest.TestCase):
    def test_a_recording_that_stops_inside_a_frame_plays_to_its_end(self):
        # Frames 0 to 40 at 60 a second, the ball going left from frame 30; the
        # file stops after the key, before that frame's clock reading.
        lines = ["velmora-script 1", "0 tick 1000"]
        for frame in range(41):
            lines += ["%d tick %d" % (frame, 1000 + frame * 17)]
            lines += {2: ["2 down SPACE"], 3: ["3 up SPACE"], 30: ["30 capture"]}.get(frame, [])
        lines += ["40 down LEFT"]
        result = run(lines, None, HANG)
        self.assertEqual(0, result.status, result.stderr)
        self.assertEqual([31], sorted(result.captures))
        self.assertNotIn("no progress", result.stderr)

    def test_one_cut_inside_a_line_plays_up_to_the_line_before(self):
        paths = []

        def prepare(folder):
            paths.append(write_file(folder, "cut.txt",
                                    HEADER + b"0 tick 1000\n1 tick 1017\n1 capture\n2 ti"))
            return {"VELMORA_SCRIPT": paths[0]}

        result = run([], None, HANG, prepare)
        self.assertEqual(0, result.status, result.stderr)
        self.assertEqual([2], sorted(result.captures))
        warning = ("velmora: %s:5: the file ends inside this line (cut short); it plays up to the "
                   "line before\n" % paths[0])
        self.assertEqual(1, result.stderr.count(warning), result.stderr)

    def test_one_that_ends_minimised_closes_the_window_all_the_same(self):
        # The close goes to the game's window, which has no focus while minimised.
        result = run(["velmora-script 1", "0 tick 1000", "1 tick 1017", "2 minimize"], None, HANG)
        self.assertEqual(0, result.status, result.stderr)


if __name__ == "__main__":
    unittest.main()
