"""Hostile input through the built binary: files that are not regular files,
runs that stall, captures that cannot be written, fault lists that name
nothing the program has. Each must end promptly with a status that says what
happened."""

import os
import stat
import unittest

from velmora_run import run

START_PLAY = ["2 down SPACE", "3 up SPACE"]
# Generous: a hang is what these tests catch, and a hang never ends at all.
HANG = 60


class FilesThatAreNotFiles(unittest.TestCase):
    def test_a_fifo_named_like_a_hidden_image_is_not_found(self):
        def fifo(folder):
            os.mkfifo(os.path.join(folder, "BACKIMG"))

        result = run(["0 capture"], {"VELMORA_FAULTS": "hide:BACKIMG"}, HANG, fifo)
        self.assertEqual(result.status, 1, result.stderr)
        self.assertIn("MessageBoxA: 2D Game Velmora: DDLoadBitmap BackImage FAILED\n",
                      result.stderr)
        self.assertNotIn("still held", result.stderr)

    def test_a_script_that_is_a_directory_is_refused_with_the_reason(self):
        def folder_script(folder):
            path = os.path.join(folder, "script.d")
            os.mkdir(path)
            return {"VELMORA_SCRIPT": path}

        result = run(["0 capture"], None, HANG, folder_script)
        self.assertEqual(result.status, 2, result.stderr)
        self.assertIn("script.d: cannot read the script (is a directory)", result.stderr)
        self.assertNotIn("DirectDrawCreateEx OK", result.stderr)

    def test_a_script_that_is_a_fifo_is_refused_without_waiting(self):
        def fifo_script(folder):
            path = os.path.join(folder, "script.fifo")
            os.mkfifo(path)
            return {"VELMORA_SCRIPT": path}

        result = run(["0 capture"], None, HANG, fifo_script)
        self.assertEqual(result.status, 2, result.stderr)
        self.assertIn("script.fifo: cannot read the script (is not a regular file)",
                      result.stderr)


class Stalls(unittest.TestCase):
    def assert_stalled(self, result, where):
        self.assertEqual(result.status, 3, result.stderr)
        self.assertIn("made no progress for 2000 polls", result.stderr)
        self.assertIn(where, result.stderr)

    def test_waiting_for_a_frame_while_minimised_gives_up_with_status_3(self):
        result = run(["2 minimize", "3 capture"], None, HANG)
        self.assert_stalled(result, "waiting at line 2")
        self.assertEqual(result.captures, {})

    def test_flips_that_never_show_a_frame_give_up_with_status_3(self):
        result = run(["3 capture"], {"VELMORA_FAULTS": "Flip=0x1"}, HANG)
        self.assert_stalled(result, "waiting at line 1")

    def test_every_retried_call_that_stays_busy_gives_up_with_status_3(self):
        # The game calls these again at once for as long as they answer "still
        # drawing" (Lock while setting the colour keys up), never polling.
        for call in ("Flip", "BltFast", "Lock"):
            with self.subTest(call=call):
                result = run(["3 capture"], {"VELMORA_FAULTS": call + "=0x8876021C"}, HANG)
                self.assertEqual(result.status, 3, result.stderr)
                self.assertIn("made no progress: %s answered 0x8876021C 100000 times" % call,
                              result.stderr)

    def test_a_long_idle_while_minimised_is_not_a_stall(self):
        result = run(START_PLAY + ["5 minimize", "5 idle 5000", "5 restore", "7 capture"])
        self.assertEqual(result.status, 0, result.stderr)
        self.assertEqual(sorted(result.captures), [8])


class CapturesThatCannotBeWritten(unittest.TestCase):
    def run_into(self, make_folder):
        def prepare(folder):
            return {"VELMORA_CAPTURE": make_folder(folder)}

        return run(["1 capture", "3 capture"], None, HANG, prepare)

    def assert_failed(self, result, reason):
        self.assertEqual(result.status, 4, result.stderr)
        self.assertRegex(result.stderr, r"cannot write the capture \S*/frame-000002\.png \(%s\)\n"
                         % reason)
        self.assertEqual(result.captures, {})

    def test_a_missing_folder_ends_the_run_with_status_4(self):
        result = self.run_into(lambda folder: os.path.join(folder, "missing"))
        self.assert_failed(result, "No such file or directory")

    def test_a_file_where_the_folder_should_be_ends_the_run_with_status_4(self):
        def file_instead(folder):
            path = os.path.join(folder, "taken")
            with open(path, "w") as handle:
                handle.write("not a folder")
            return path

        result = self.run_into(file_instead)
        self.assert_failed(result, "Not a directory")

    def test_a_read_only_folder_ends_the_run_with_status_4(self):
        if os.geteuid() == 0:
            self.skipTest("root writes into read-only folders")

        def read_only(folder):
            path = os.path.join(folder, "locked")
            os.mkdir(path)
            os.chmod(path, stat.S_IRUSR | stat.S_IXUSR)
            return path

        result = self.run_into(read_only)
        self.assert_failed(result, "Permission denied")


class StrictFaultList(unittest.TestCase):
    REFUSED = [
        ("Bogus=0x80004005", "no call of that name can be faulted"),
        ("flip=0x1", "no call of that name can be faulted"),
        ("hide:NOSUCHIMAGE", "the program has no resource of that name"),
        ("Flip= 0x1", "the result must be 0x and one to eight hex digits"),
        ("Flip=+0x1", "the result must be 0x and one to eight hex digits"),
        ("Flip=-0", "the result must be 0x and one to eight hex digits"),
        ("Flip=0x1*0", "the count after * must be a positive decimal number"),
    ]

    def test_each_unusable_item_is_refused_naming_it_with_status_2(self):
        for item, reason in self.REFUSED:
            with self.subTest(item=item):
                result = run(["0 capture"], {"VELMORA_FAULTS": "hide:CHARA," + item}, HANG)
                self.assertEqual(result.status, 2, result.stderr)
                self.assertIn('velmora: VELMORA_FAULTS: "%s": %s\n' % (item, reason),
                              result.stderr)
                self.assertNotIn("DirectDrawCreateEx OK", result.stderr)

    def test_a_lower_case_resource_name_still_hides_it(self):
        result = run(["0 capture"], {"VELMORA_FAULTS": "hide:chara"}, HANG)
        self.assertEqual(result.status, 1, result.stderr)
        self.assertIn("DDLoadBitmap Chara FAILED", result.stderr)


if __name__ == "__main__":
    unittest.main()
