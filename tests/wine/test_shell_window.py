"""The installer's splash window as a person meets it: what it is, where it
is and what it shows when it opens, the ways to end it, and the rule that
only one copy runs."""

import os

import kestwine
import shellview
from shellview import ORIGIN_X, ORIGIN_Y, SPLASH_HEIGHT, SPLASH_WIDTH, WINDOW_CLASS, WINDOW_TITLE

WS_POPUP = 0x80000000
WS_CAPTION = 0x00C00000  # title bar: border and dialog frame together
WS_BORDER = 0x00800000
WS_DLGFRAME = 0x00400000
WS_THICKFRAME = 0x00040000
SW_MINIMIZE = 6


class SplashWindowTests(shellview.SplashTestCase):

    def test_window_is_a_borderless_popup_centred_on_the_screen(self):
        self.start_setup()

        window = self.session.wait_window(WINDOW_TITLE, WINDOW_CLASS)

        self.assertEqual(WINDOW_CLASS, window["class"])
        self.assertEqual((ORIGIN_X, ORIGIN_Y, ORIGIN_X + SPLASH_WIDTH, ORIGIN_Y + SPLASH_HEIGHT),
                         window.rect)
        self.assertEqual((SPLASH_WIDTH, SPLASH_HEIGHT), window.client)
        self.assertTrue(window.style & WS_POPUP)
        self.assertEqual(0, window.style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME))
        self.assertEqual(0, window.exstyle)
        self.assertEqual(0, window.owner)
        # The X server agrees: one window of that title, there and that big.
        x_window = self.session.x_window(WINDOW_TITLE)
        self.assertEqual((ORIGIN_X, ORIGIN_Y, SPLASH_WIDTH, SPLASH_HEIGHT),
                         self.session.x_geometry(x_window))
        # Hidden until an installation: the progress bar and the file label.
        _, children = self.session.dump(WINDOW_TITLE)
        self.assertEqual([0], sorted({child.visible for child in children}))

    def test_fresh_window_shows_the_front_picture(self):
        self.start_setup()
        self.expect_window()

    def test_escape_and_f12_end_the_program_with_code_0_while_the_tune_plays(self):
        for key in ("Escape", "F12"):
            with self.subTest(key=key):
                program, window = self.start_setup()
                # Pressed as soon as the splash is painted: the tune has just begun.
                self.session.key(window, key)
                self.assertEqual(0, program.wait(15))
                self.assertEqual([], self.session.x_windows(WINDOW_TITLE))

    def test_exit_caption_ends_the_program_with_code_0(self):
        program, _ = self.start_setup()
        self.expect_window()

        self.hover(shellview.SPOT_EXIT)
        self.expect_window(highlight=shellview.SPOT_EXIT)
        self.session.mouse_click()

        self.assertEqual(0, program.wait(15))

    def test_start_and_exit_leave_an_earlier_log_untouched_and_make_none(self):
        earlier = b"Extracting kestdemo.exe to C:\\Games\\kestdemo.exe\r\n"
        log_path = self.session.host_path("C:\\BREVALD_SETUP.LOG")

        program, window = self.start_setup()
        self.expect_window()
        self.session.key(window, "Escape")
        self.assertEqual(0, program.wait(15))
        self.assertIsNone(self.session.read_log())

        self.session.write_file("C:\\BREVALD_SETUP.LOG", earlier)
        written = os.stat(log_path).st_mtime_ns
        program, window = self.start_setup()
        self.expect_window()
        self.session.key(window, "Escape")
        self.assertEqual(0, program.wait(15))
        self.assertEqual(earlier, self.session.read_log())
        self.assertEqual(written, os.stat(log_path).st_mtime_ns)

    def test_first_start_creates_the_settings_key_and_stores_nothing(self):
        self.assertIsNone(self.session.reg_values(shellview.SETTINGS_KEY))

        program, window = self.start_setup()
        self.expect_window()
        self.session.key(window, "Escape")
        self.assertEqual(0, program.wait(15))

        self.assertEqual({}, self.session.reg_values(shellview.SETTINGS_KEY))

    def test_second_copy_brings_the_first_forward_and_ends_with_code_0(self):
        first, _ = self.start_setup()
        self.expect_window()
        self.session.start(self.session.paths.driver, "hold", "Holder", "60000")
        kestwine.wait_until(lambda: self.session.foreground_title() == "Holder", 10,
                            what="another window in front")

        second = self.session.start_installer()

        self.assertEqual(0, second.wait(20))
        kestwine.wait_until(lambda: self.session.foreground_title() == WINDOW_TITLE, 10,
                            what="the first copy's window in front")
        front = self.session.foreground()
        self.assertEqual(WINDOW_CLASS, front["class"])
        self.assertEqual(1, len(self.session.x_windows(WINDOW_TITLE)))
        self.assertTrue(first.running())

    def test_second_copy_restores_a_minimised_first_copy(self):
        first, _ = self.start_setup()
        self.expect_window()
        self.session.driver("show", WINDOW_TITLE, str(SW_MINIMIZE))
        kestwine.wait_until(lambda: self.session.wait_window(WINDOW_TITLE).iconic == 1, 10,
                            what="the window minimised")

        second = self.session.start_installer()

        self.assertEqual(0, second.wait(20))
        kestwine.wait_until(lambda: self.session.wait_window(WINDOW_TITLE).iconic == 0, 10,
                            what="the window restored")
        window = self.session.wait_window(WINDOW_TITLE)
        self.assertEqual((ORIGIN_X, ORIGIN_Y, ORIGIN_X + SPLASH_WIDTH, ORIGIN_Y + SPLASH_HEIGHT),
                         window.rect)
        self.expect_window()
        self.assertTrue(first.running())

    def test_a_window_of_another_class_with_the_same_title_is_no_running_copy(self):
        self.session.start(self.session.paths.driver, "hold", WINDOW_TITLE, "60000")
        self.session.wait_window(WINDOW_TITLE, "WinTestHold")

        program = self.session.start_installer()

        window = self.session.wait_window(WINDOW_TITLE, WINDOW_CLASS)
        self.assertEqual(WINDOW_CLASS, window["class"])
        self.expect_window()
        self.assertTrue(program.running())


if __name__ == "__main__":
    kestwine.main()
