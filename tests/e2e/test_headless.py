"""End-to-end runs of the native build, headless, driven by scripts.

Script events fire once FRAME frames have been presented, before the next one;
`N capture` writes frame N + 1. Play starts on frame 4 after `2 down SPACE`."""

import unittest

from velmora_run import expected_play, expected_title, find_ball, mismatches, read_text, run
from velmora_test.frames import PROGRESS

START_PLAY = ["2 down SPACE", "3 up SPACE"]


class StartUpAndQuit(unittest.TestCase):
    def test_progress_lines_in_order_then_escape_quits_with_status_0(self):
        result = run(["3 tap ESCAPE", "3 idle 100"])
        lines = [line for line in result.stderr.splitlines() if line.endswith(" OK")]
        self.assertEqual(lines, PROGRESS)
        self.assertEqual(result.status, 0, result.stderr)
        self.assertNotIn("MessageBoxA", result.stderr)
        self.assertNotIn("still held", result.stderr)

    def test_f12_and_the_close_button_quit_with_status_0(self):
        for ending in ("3 tap F12", "3 close"):
            result = run(START_PLAY + [ending, "3 idle 100"])
            self.assertEqual(result.status, 0, (ending, result.stderr))
            self.assertNotIn("still held", result.stderr)

    def test_a_bad_script_is_refused_with_its_line_before_the_game_starts(self):
        result = run(["1 capture", "three capture"])
        self.assertEqual(result.status, 2)
        self.assertIn(":2: expected a frame number, not 'three'", result.stderr)
        self.assertNotIn("DirectDrawCreateEx OK", result.stderr)

    def test_an_unknown_present_path_is_refused_and_the_known_ones_run(self):
        result = run(["3 tap ESCAPE"], {"VELMORA_PRESENT": "opengl"})
        self.assertEqual(result.status, 2, result.stderr)
        self.assertEqual(result.stderr,
                         "velmora: VELMORA_PRESENT=opengl: expected auto, surface or gpu\n")
        for path in ("auto", "surface", "gpu", ""):
            result = run(["3 tap ESCAPE", "3 idle 100"], {"VELMORA_PRESENT": path})
            self.assertEqual(result.status, 0, (path, result.stderr))


class SetUpFailures(unittest.TestCase):
    CASES = [
        ("DirectDrawCreateEx=0x80004005", 0, "DirectDrawCreateEx FAILED"),
        ("SetDisplayMode=0x88760078", 2, "SetDisplayMode FAILED"),
        ("SetPalette=0x887602E5*1", 6, "SetPalette FAILED"),
        ("hide:BACKIMG", 7, "DDLoadBitmap BackImage FAILED"),
        ("hide:CHARA", 10, "DDLoadBitmap Chara FAILED"),
    ]

    def test_each_failure_is_reported_released_and_ends_with_status_1(self):
        for faults, lines_before, text in self.CASES:
            with self.subTest(text=text):
                result = run(["0 capture"], {"VELMORA_FAULTS": faults})
                self.assertEqual(result.status, 1, result.stderr)
                lines = [line for line in result.stderr.splitlines() if line.endswith(" OK")]
                self.assertEqual(lines, PROGRESS[:lines_before])
                self.assertIn("MessageBoxA: 2D Game Velmora: %s\n" % text, result.stderr)
                self.assertNotIn("still held", result.stderr)
                self.assertEqual(result.captures, {})

    def test_a_malformed_fault_list_is_refused(self):
        result = run(["0 capture"], {"VELMORA_FAULTS": "SetDisplayMode"})
        self.assertEqual(result.status, 2)
        self.assertIn("VELMORA_FAULTS", result.stderr)


class Scenes(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.result = run(["1 capture"] + START_PLAY + [
            "3 capture",
            "4 down RIGHT", "14 up RIGHT", "15 capture",
            "16 down S", "17 up S", "18 capture",
        ])

    def test_runs_to_the_end(self):
        self.assertEqual(self.result.status, 0, self.result.stderr)
        self.assertEqual(sorted(self.result.captures), [2, 4, 16, 19])

    def test_title_frame_shows_fill_lettering_and_prompt(self):
        self.assertEqual(mismatches(self.result.frame(2), expected_title()), [])

    def test_space_starts_play_with_the_ball_at_its_start(self):
        self.assertEqual(mismatches(self.result.frame(4), expected_play(386, 400)), [])

    def test_right_arrow_moves_the_ball_one_pixel_a_frame(self):
        self.assertEqual(mismatches(self.result.frame(16), expected_play(396, 400)), [])

    def test_s_returns_to_the_title(self):
        self.assertEqual(mismatches(self.result.frame(19), expected_title()), [])


class Wrapping(unittest.TestCase):
    def ball_after(self, key, moves):
        end = 4 + moves
        result = run(START_PLAY + ["4 down " + key, "%d up %s" % (end, key),
                                   "%d capture" % (end + 1)])
        self.assertEqual(result.status, 0, result.stderr)
        frame = result.frame(end + 2)
        ball = find_ball(frame)
        self.assertEqual(mismatches(frame, expected_play(*ball)), [])
        return ball

    def test_left_edge_wraps_to_the_right(self):
        self.assertEqual(self.ball_after("LEFT", 240), (622 - 3, 400))

    def test_right_edge_wraps_to_the_left(self):
        self.assertEqual(self.ball_after("RIGHT", 240), (150 + 3, 400))

    def test_bottom_edge_wraps_to_the_top(self):
        self.assertEqual(self.ball_after("DOWN", 76), (386, 3))

    def test_top_edge_wraps_to_the_bottom(self):
        self.assertEqual(self.ball_after("UP", 404), (386, 472 - 3))


class FramesPerSecond(unittest.TestCase):
    def test_text_appears_after_the_first_second_drawn_from_the_font(self):
        result = run(["100 capture", "1100 capture"])
        self.assertEqual(read_text(result.frame(101)), "")
        # One virtual millisecond a frame, the first at 0 ms: the refresh at
        # 1000 ms counts the frames at 0 to 1000 ms.
        self.assertEqual(read_text(result.frame(1101)), "1001 FPS")
        self.assertEqual(mismatches(result.frame(1101), expected_title()), [])


class Recovery(unittest.TestCase):
    def test_a_lost_display_comes_back_whole_on_the_title(self):
        result = run(["1 lose", "4 capture"])
        self.assertEqual(mismatches(result.frame(5), expected_title()), [])

    def test_a_lost_display_comes_back_whole_in_play(self):
        result = run(START_PLAY + ["5 lose", "8 capture"])
        self.assertEqual(mismatches(result.frame(9), expected_play(386, 400)), [])

    def test_minimised_runs_no_frames_and_restored_resumes(self):
        # Right is held from frame 7 to 10; a thousand polls while minimised
        # would have moved the ball far if frames had run.
        result = run(START_PLAY + ["6 down RIGHT", "8 minimize", "8 idle 1000", "8 restore",
                                   "10 up RIGHT", "11 capture"])
        self.assertEqual(result.status, 0, result.stderr)
        self.assertEqual(mismatches(result.frame(12), expected_play(390, 400)), [])

    def test_back_from_another_program_the_play_frame_comes_back_whole(self):
        # While another program is in front, frames run but none can be shown
        # (the primary cannot be restored in the desktop's mode), so the
        # script waits by polls; after `restore` the game sets its mode again.
        result = run(START_PLAY + ["5 switch", "5 idle 1000", "5 restore", "8 capture"])
        self.assertEqual(result.status, 0, result.stderr)
        self.assertEqual(sorted(result.captures), [9])
        self.assertEqual(mismatches(result.frame(9), expected_play(386, 400)), [])


if __name__ == "__main__":
    unittest.main()
