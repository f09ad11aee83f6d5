"""PLAY after an install: the game starts from the install folder, shown,
and the installer closes with code 0 without waiting for it; when the game
cannot be started, the installer says "Unable to load kestdemo.exe" and
still closes.

The sample game writes its working directory (no line end) into the file
that the environment variable KESTDEMO_REPORT names; the installer passes
its own environment on to the game, so the variable is set for the
installer's process."""

import os
import shutil

import kestwine
import removeview
import shellview
from removeview import DEFAULT_FOLDER, GAME_TITLE, UNABLE_TO_LOAD_TEXT
from shellview import SPOT_PLAY

REPORT_PATH = "C:\\kestdemo-report.txt"


class PlayTests(removeview.RemovalTestCase):

    def setUp(self):
        super().setUp()
        # Without a kestdemo.exe beside the installer, only the install
        # folder can give the game (the start looks there first).
        beside = os.path.join(os.path.dirname(self.session.paths.installer), "kestdemo.exe")
        self.assertFalse(os.path.exists(beside), "a game beside the installer: %s" % beside)
        self.session.env["KESTDEMO_REPORT"] = REPORT_PATH

    def end_game(self):
        """Escape on the game's window ends it."""
        self.session.key(self.session.x_window(GAME_TITLE), "Escape")
        self.session.wait_window_gone(GAME_TITLE)

    def assert_game_started_in(self, folder, installer):
        """The installer has ended with 0, the game's window is up and shown
        while the installer is gone, and the game reported folder (without
        its final backslash) as its working directory."""
        self.assertEqual(0, installer.wait(20))
        game = self.session.wait_window(GAME_TITLE)
        self.assertEqual(1, game.visible)
        self.assertEqual(0, game.iconic)
        self.assertEqual([], self.session.x_windows(shellview.WINDOW_TITLE))
        report = kestwine.wait_until(lambda: self.session.read_file(REPORT_PATH), 10,
                                     what="the game's report")
        self.assertEqual(folder.rstrip("\\").encode("latin-1"), report)

    def test_play_after_an_install_starts_the_game_in_the_install_folder(self):
        run = self.install()

        self.select(SPOT_PLAY)
        self.session.mouse_click()

        self.assert_game_started_in(DEFAULT_FOLDER, run.program)
        self.end_game()

    def test_play_in_a_later_run_starts_the_game_in_the_stored_folder(self):
        folder = "C:\\Games\\Kest Demo\\"
        run = self.install(folder.rstrip("\\"))
        self.exit_installer(run.program)

        program, window = self.start_setup_installed()
        self.session.key(window, "Right")
        self.expect_window(highlight=SPOT_PLAY, installed=True)
        self.session.key(window, "Return")

        self.assert_game_started_in(folder, program)
        self.end_game()

    def test_play_with_the_folder_deleted_by_hand_reports_and_closes(self):
        run = self.install()
        shutil.rmtree(self.host_folder(DEFAULT_FOLDER))

        self.select(SPOT_PLAY)
        self.session.mouse_click()

        box = removeview.next_box(self.session)
        self.assertIsNotNone(box, "no message about the game")
        self.assertEqual(UNABLE_TO_LOAD_TEXT, box.text)
        self.assertEqual(["OK"], box.button_texts)
        self.assertEqual(self.splash_record().hwnd, box.window.owner)
        removeview.click_box_button(self.session, box, "OK")
        self.assertEqual(0, run.program.wait(20))
        self.assertEqual([], self.session.x_windows(GAME_TITLE))
        self.assertIsNone(self.session.read_file(REPORT_PATH))


if __name__ == "__main__":
    kestwine.main()
