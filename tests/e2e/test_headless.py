"""End-to-end runs of the native build, headless, driven by scripts."""

import re
import unittest

from velmora_run import (PROGRESS, expected_play, expected_title, find_ball, mismatches,
                         read_text, run)


class StartUpAndQuit(unittest.TestCase):
    def test_progress_lines_in_order_then_escape_quits_with_status_0(self):
        result = run(["frames 3", "press escape", "polls 100"])
        lines = [line for line in result.stderr.splitlines() if line.endswith(" OK")]
        self.assertEqual(lines, PROGRESS)
        self.assertEqual(result.status, 0, result.stderr)
        self.assertNotIn("MessageBoxA", result.stderr)
        self.assertNotIn("still held", result.stderr)

    def test_f12_and_the_close_button_quit_with_status_0(self):
        for ending in (["press f12"], ["close"]):
            result = run(["frames 3"] + ending + ["polls 100"])
            self.assertEqual(result.status, 0, (ending, result.stderr))

    def test_a_bad_script_is_refused_before_the_game_starts(self):
        result = run(["frames three"])
        self.assertEqual(result.status, 2)
        self.assertNotIn("DirectDrawCreateEx OK", result.stderr)


class SetUpFailures(unittest.TestCase):
    CASES = [
        ({"VELMORA_FAULTS": "DirectDrawCreateEx=0x80004005"}, 0, "DirectDrawCreateEx FAILED"),
        ({"VELMORA_FAULTS": "SetDisplayMode=0x88760078"}, 2, "SetDisplayMode FAILED"),
        ({"VELMORA_FAULTS": "SetPalette=0x887602E5"}, 6, "SetPalette FAILED"),
        ({"VELMORA_HIDE_RESOURCES": "BACKIMG"}, 7, "DDLoadBitmap BackImage FAILED"),
        ({"VELMORA_HIDE_RESOURCES": "CHARA"}, 10, "DDLoadBitmap Chara FAILED"),
    ]

    def test_each_failure_is_reported_released_and_ends_with_status_1(self):
        for env, lines_before, text in self.CASES:
            with self.subTest(text=text):
                result = run(["frames 5", "capture never"], env)
                self.assertEqual(result.status, 1, result.stderr)
                lines = [line for line in result.stderr.splitlines() if line.endswith(" OK")]
                self.assertEqual(lines, PROGRESS[:lines_before])
                self.assertIn('MessageBoxA "2D Game Velmora": %s\n' % text, result.stderr)
                self.assertNotIn("still held", result.stderr)
                self.assertEqual(result.captures, {})


class Scenes(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.result = run([
            "frames 2", "capture title",
            "press space 1", "frames 1", "capture play",
            "down right", "frames 10", "up right", "frames 2", "capture moved",
            "press s", "frames 2", "capture back",
        ])

    def test_runs_to_the_end(self):
        self.assertEqual(self.result.status, 0, self.result.stderr)

    def test_title_frame_shows_fill_lettering_and_prompt(self):
        self.assertEqual(mismatches(self.result.frame("title"), expected_title()), [])

    def test_space_starts_play_with_the_ball_at_its_start(self):
        self.assertEqual(mismatches(self.result.frame("play"), expected_play(386, 400)), [])

    def test_right_arrow_moves_the_ball_one_pixel_a_frame(self):
        x, y = find_ball(self.result.frame("moved"))
        self.assertEqual(y, 400)
        self.assertGreaterEqual(x, 386 + 9)
        self.assertLessEqual(x, 386 + 12)
        self.assertEqual(mismatches(self.result.frame("moved"), expected_play(x, y)), [])

    def test_s_returns_to_the_title(self):
        self.assertEqual(mismatches(self.result.frame("back"), expected_title()), [])


class Wrapping(unittest.TestCase):
    def ball_after(self, key, frames):
        result = run(["frames 2", "press space 1", "frames 2", "capture before",
                      "down " + key, "frames %d" % frames, "up " + key, "frames 2",
                      "capture after"])
        self.assertEqual(result.status, 0, result.stderr)
        return find_ball(result.frame("before")), find_ball(result.frame("after"))

    def test_left_edge_wraps_to_the_right(self):
        before, after = self.ball_after("left", 240)
        self.assertEqual(before, (386, 400))
        self.assertGreater(after[0], 600)
        self.assertEqual(after[1], 400)

    def test_right_edge_wraps_to_the_left(self):
        _, after = self.ball_after("right", 240)
        self.assertLess(after[0], 160)
        self.assertGreaterEqual(after[0], 150)

    def test_bottom_edge_wraps_to_the_top(self):
        _, after = self.ball_after("down", 76)
        self.assertLess(after[1], 10)
        self.assertEqual(after[0], 386)

    def test_top_edge_wraps_to_the_bottom(self):
        _, after = self.ball_after("up", 404)
        self.assertGreater(after[1], 460)
        self.assertLessEqual(after[1], 472)


class FramesPerSecond(unittest.TestCase):
    def test_text_appears_after_the_first_second_drawn_from_the_font(self):
        result = run(["frames 100", "capture early", "frames 1100", "capture late"])
        self.assertEqual(read_text(result.frame("early")), "")
        self.assertRegex(read_text(result.frame("late")), r"^\d{4} FPS$")
        self.assertEqual(mismatches(result.frame("late"), expected_title()), [])


class Recovery(unittest.TestCase):
    def test_a_lost_display_comes_back_whole_on_the_title(self):
        result = run(["frames 2", "lose", "frames 3", "capture after"])
        self.assertEqual(mismatches(result.frame("after"), expected_title()), [])

    def test_a_lost_display_comes_back_whole_in_play(self):
        result = run(["frames 2", "press space 1", "frames 2", "lose", "frames 3",
                      "capture after"])
        self.assertEqual(mismatches(result.frame("after"), expected_play(386, 400)), [])

    def test_minimised_runs_no_frames_and_restored_resumes(self):
        result = run(["frames 2", "press space 1", "frames 2", "capture before",
                      "down right", "minimize", "polls 500", "capture minimised",
                      "restore", "frames 5", "up right", "frames 2", "capture after"])
        self.assertEqual(result.status, 0, result.stderr)
        before = result.frame("before")
        self.assertEqual(list(result.frame("minimised").getdata()), list(before.getdata()))
        x, y = find_ball(result.frame("after"))
        self.assertGreater(x, 386)
        self.assertEqual(mismatches(result.frame("after"), expected_play(x, y)), [])


if __name__ == "__main__":
    unittest.main()
