"""PLAY after an install: the game starts from the install folder, shown,
and the installer closes with code 0 without waiting for it; when the game
cannot be started, the installer says "Unable to load kestdemo.exe" and
still closes.

The sample game writes its working directory (no line end) into the file
that the environment variable KESTDEMO_REPORT names; the installer passes
its own environment on to the game, so the variable is set for the
installer's process.

Programs and libraries planted beside the installer (as in a download
folder) never run: not a kestdemo.exe or grpconv.exe of that folder, not a
version.dll, winmm.dll or comctl32.dll there, though Wine is told to prefer
such libraries to its own, as Windows prefers a library in the program's
folder to the system's unless it is a known DLL."""

import os
import shutil

import installview
import kestwine
import removeview
import shellview
from removeview import DEFAULT_FOLDER, GAME_TITLE, UNABLE_TO_LOAD_TEXT
from shellview import SPOT_CONFIGURE, SPOT_PLAY

REPORT_PATH = "C:\\kestdemo-report.txt"

# Stand-ins of the fixtures' "planted" folder: each leaves "<its path>.ran"
# when it runs or is loaded.
PLANTED = ("grpconv.exe", "kestdemo.exe", "version.dll", "winmm.dll", "comctl32.dll")
DOWNLOADS = "C:\\Downloads"
OPTIONS_TITLE = "Brevald Game Configuration"
OPTIONS_TAB_ID = 500


class PlayTests(removeview.RemovalTestCase):

    def setUp(self):
        super().setUp()
        # The game that reports must be the one in the install folder.
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


    def test_programs_and_libraries_planted_beside_the_installer_never_run(self):
        downloads = self.session.host_path(DOWNLOADS)
        os.makedirs(downloads)
        installer = os.path.join(downloads, "KestSetup.exe")
        shutil.copy(self.session.paths.installer, installer)
        for name in PLANTED:
            shutil.copy(os.path.join(self.session.paths.windows, "planted", name), downloads)
        self.session.env["WINEDLLOVERRIDES"] += ";version,winmm,comctl32=n,b"
        # An older driver in the system directory: its version is read.
        with open(os.path.join(self.session.paths.windows, "drivers", "mgldib-3.9.drv"),
                  "rb") as f:
            self.session.write_file(installview.SYSTEM_DRIVER, f.read())

        def markers():
            """The stand-ins that ran, were loaded or were called. Wine's own
            user32 imports version.dll, so with native libraries preferred
            every program started from that folder loads the stand-in there
            before its first instruction (Windows' user32 does not): that
            load alone is not the installer's."""
            return sorted(name for name in os.listdir(downloads)
                          if name.endswith((".ran", ".called")) and name != "version.dll.ran")

        program, window = self.start_setup(installer)
        self.open_folder_dialog(window, exe=installer)
        installview.press_okay(self.session)
        box = installview.next_message(self.session, installview.INSTALL_TIMEOUT)
        self.assertEqual([], markers())
        self.assertEqual(installview.COMPLETION_TEXT, box.text if box else None)
        self.session.message_box(press="OK")
        self.assert_installed(DEFAULT_FOLDER, log_tail=b"updated the MGLDIB.DRV\r\n")

        # The options dialog and its tab control (common controls 6).
        self.select(SPOT_CONFIGURE)
        self.session.mouse_click()
        self.session.wait_window(OPTIONS_TITLE)
        tabs = self.session.driver("tabs", OPTIONS_TITLE, str(OPTIONS_TAB_ID))
        self.assertEqual(["System Options"], [tab.text for tab in tabs.all("tab")])
        self.session.key(self.session.x_window(OPTIONS_TITLE), "Escape")
        self.session.wait_window_gone(OPTIONS_TITLE)

        self.select(SPOT_PLAY)
        self.session.mouse_click()
        self.assert_game_started_in(DEFAULT_FOLDER, program)
        self.end_game()
        self.assertEqual([], markers())


if __name__ == "__main__":
    kestwine.main()
