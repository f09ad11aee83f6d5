"""The whole road of an installation, driven from the keyboard and from the
mouse: Install on the splash, a folder typed into the folder dialog, the
completion message; then everything the install leaves behind is checked
against the game's own files, the system's short path of the game, and the
texts the installer must write."""

import os

import installview
import kestwine
import shellview
from installview import GAME_EXE, GROUP_FILE, SETTINGS_KEY
from shellview import SPOT_CONFIGURE, SPOT_INSTALL, SPOT_PLAY


class InstallRoadTests(installview.InstallTestCase):

    def test_keyboard_road_into_a_new_folder_several_levels_deep(self):
        folder = "C:\\Games\\Kest Demo\\Rarivur Ivad\\Oraz"
        self.assertFalse(os.path.exists(self.host_folder("C:\\Games")))

        run = self.install(folder, by="keyboard")

        # The figure includes the driver's noticing the box (a poll every
        # 50 ms and the end of its process).
        print("\ninstall from Enter in the folder dialog to the completion box: %.2f s"
              % run.seconds)
        self.assert_installed(folder + "\\")
        self.assert_keys_reach_uninstall(run.window)
        self.assertTrue(run.program.running())

    def assert_keys_reach_uninstall(self, window):
        """After the completion box the selection is the Install caption, or
        none when the platform reported the pointer (far from the window) on
        the box's closing; either way Right now lands on an enabled caption
        next to the second one, and one more step shows it as Un-Install."""
        self.session.key(window, "Right")
        lit = {spot: self.pictures.window(spot, installed=True)
               for spot in (SPOT_PLAY, SPOT_CONFIGURE)}
        reached = installview.wait_for_one_of(self.session, lit)
        self.session.key(window, "Right" if reached == SPOT_PLAY else "Left")
        self.expect_window(highlight=SPOT_INSTALL, installed=True)

    def test_mouse_road_into_a_new_folder_several_levels_deep(self):
        folder = "C:\\Brevald Games\\Demos\\Kest"

        run = self.install(folder, by="mouse")

        print("\ninstall from the click on Okay to the completion box: %.2f s" % run.seconds)
        self.assert_installed(folder + "\\")
        # Configure reacts to the mouse now; the old highlight on the
        # second caption gives way to the Un-Install caption.
        self.hover(SPOT_CONFIGURE)
        self.expect_window(highlight=SPOT_CONFIGURE, installed=True)

    def test_okay_at_once_installs_into_the_proposed_folder(self):
        self.install(None, by="keyboard")

        self.assert_installed(installview.PROPOSED_FOLDER + "\\")

    def test_existing_folder_keeps_its_own_files_and_takes_the_games(self):
        folder = "C:\\Games\\Kest\\"
        mine = b"[Mine]\r\nkept=yes\r\n"
        notes = b"notes of the user\r\n"
        self.session.write_file(folder + "QOLT.INI", mine)
        self.session.write_file(folder + "notes.txt", notes)
        self.session.write_file(folder + "readme.txt", b"an older readme\r\n")
        # A description left by another program is replaced whole.
        self.session.write_file(GROUP_FILE, b"[progman.groups]\r\ngroup1=Other\r\n" + b";" * 600)

        self.install(folder, by="keyboard")

        self.assert_holds_game_files(folder, extra=("QOLT.INI", "notes.txt"))
        self.assertEqual(mine, self.session.read_file(folder + "QOLT.INI"))
        self.assertEqual(notes, self.session.read_file(folder + "notes.txt"))
        short_game = installview.short_path(self.session, folder + GAME_EXE)
        self.assertEqual(installview.group_file_text(short_game, folder),
                         self.session.read_file(GROUP_FILE))

    def test_folder_of_the_greatest_accepted_length_takes_every_file(self):
        # The folder dialog takes folders up to this length, so every file
        # of the game must then be written, its name filling the 259
        # characters of a path; only the texts shown and logged about it
        # may be cut. Each component stays below the host's 255-byte limit.
        length = installview.greatest_folder_length()
        folder = "C:\\" + "\\".join(["k" * 60] * 3)
        folder += "\\" + "d" * (length - len(folder) - 1)
        self.assertEqual(length, len(folder))

        self.install(folder, by="keyboard")

        self.assert_holds_game_files(folder + "\\")
        self.assertEqual(("REG_SZ", folder + "\\"),
                         self.session.reg_query(SETTINGS_KEY, "VRKNPath"))
        # The game's longest name fills the path to its last byte.
        longest = max(installview.game_members(), key=len)
        self.assertEqual(259, len(folder + "\\" + longest))
        # The group file carries the whole long folder, nothing cut.
        short_game = installview.short_path(self.session, folder + "\\" + GAME_EXE)
        self.assertEqual(installview.group_file_text(short_game, folder + "\\"),
                         self.session.read_file(GROUP_FILE))


if __name__ == "__main__":
    kestwine.main()
