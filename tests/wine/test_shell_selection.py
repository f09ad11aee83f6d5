"""Choosing a caption on the splash before the demo is installed: the arrow
keys and the mouse move the highlight, PLAY and Configure stay dark, and
Enter or a click acts on the caption chosen last."""

import kestwine
import shellview
from shellview import ORIGIN_X, ORIGIN_Y, SPOT_CONFIGURE, SPOT_EXIT, SPOT_INSTALL, SPOT_PLAY


class KeySelectionTests(shellview.SplashTestCase):

    def setUp(self):
        super().setUp()
        self.program, self.window = self.start_setup()
        self.expect_window()

    def press(self, *keys):
        self.session.key(self.window, *keys)

    def test_right_highlights_install_because_play_is_disabled(self):
        self.press("Right")
        self.expect_window(highlight=SPOT_INSTALL)

    def test_left_from_install_wraps_to_exit(self):
        self.press("Right")
        self.expect_window(highlight=SPOT_INSTALL)

        self.press("Left")

        self.expect_window(highlight=SPOT_EXIT)

    def test_left_with_nothing_selected_selects_exit(self):
        self.press("Left")
        self.expect_window(highlight=SPOT_EXIT)

    def test_right_from_exit_selects_dark_play_then_install(self):
        self.press("Left")
        self.expect_window(highlight=SPOT_EXIT)

        # PLAY is selected but disabled: no caption lights up.
        self.press("Right")
        self.expect_window()

        self.press("Right")
        self.expect_window(highlight=SPOT_INSTALL)

    def test_down_and_up_move_like_right_and_left(self):
        self.press("Down")
        self.expect_window(highlight=SPOT_INSTALL)
        self.press("Up")
        self.expect_window(highlight=SPOT_EXIT)
        self.press("Up")
        self.expect_window(highlight=SPOT_INSTALL)

    def test_enter_on_selected_exit_ends_the_program_with_code_0(self):
        self.press("Left")
        self.expect_window(highlight=SPOT_EXIT)

        self.press("Return")

        self.assertEqual(0, self.program.wait(15))

    def test_space_on_selected_exit_ends_the_program_with_code_0(self):
        self.press("Left")
        self.expect_window(highlight=SPOT_EXIT)

        self.press("space")

        self.assertEqual(0, self.program.wait(15))

    def test_enter_on_dark_play_does_nothing(self):
        self.press("Left", "Right")  # Exit, then PLAY
        self.expect_window()

        self.press("Return")

        # Had Enter done anything, Right would not light Install next.
        self.press("Right")
        self.expect_window(highlight=SPOT_INSTALL)
        self.assertTrue(self.program.running())


class MouseSelectionTests(shellview.SplashTestCase):

    def setUp(self):
        super().setUp()
        self.program, self.window = self.start_setup()
        self.expect_window()

    def expect_nothing_happened(self):
        """The input before did nothing: the splash, which handles input in
        order, takes the next move over Exit as always (a box or dialog
        would hold it back), and the program still runs."""
        self.hover(SPOT_EXIT)
        self.expect_window(highlight=SPOT_EXIT)
        self.assertTrue(self.program.running())
        self.assertEqual([], [record for record in kestwine.parse_records(
            self.session.driver("list").stdout) if record.kind == "window" and
            record.visible == 1 and record.title != shellview.WINDOW_TITLE])

    def test_hovering_moves_the_highlight(self):
        self.hover(SPOT_EXIT)
        self.expect_window(highlight=SPOT_EXIT)

        self.hover(SPOT_INSTALL)
        self.expect_window(highlight=SPOT_INSTALL)

        self.hover(SPOT_EXIT)
        self.expect_window(highlight=SPOT_EXIT)

    def test_hovering_over_dark_play_or_configure_removes_the_highlight(self):
        for dark in (SPOT_PLAY, SPOT_CONFIGURE):
            with self.subTest(caption=dark):
                self.hover(SPOT_INSTALL)
                self.expect_window(highlight=SPOT_INSTALL)
                self.hover(dark)
                self.expect_window()

    def test_leaving_the_window_from_a_caption_keeps_it_highlighted_and_selected(self):
        self.hover(SPOT_EXIT)
        self.expect_window(highlight=SPOT_EXIT)

        # Straight out of the window, with no movement seen inside it.
        self.session.mouse_move(5, 5)

        self.expect_window_stays(highlight=SPOT_EXIT)
        self.session.key(self.window, "Return")
        self.assertEqual(0, self.program.wait(15))

    def test_moving_off_the_captions_inside_the_window_clears_the_choice(self):
        self.hover(SPOT_EXIT)
        self.expect_window(highlight=SPOT_EXIT)

        self.session.mouse_move(ORIGIN_X + 40, ORIGIN_Y + 40)
        self.expect_window()

        # Nothing is selected: neither Enter nor a click does anything.
        self.session.key(self.window, "Return")
        self.session.mouse_click()
        self.expect_nothing_happened()

    def test_click_on_dark_play_does_nothing(self):
        self.hover(SPOT_PLAY)
        self.expect_window()

        self.session.mouse_click()

        self.expect_nothing_happened()


if __name__ == "__main__":
    kestwine.main()
