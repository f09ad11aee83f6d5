"""The game's Start-menu entry on each Windows family, arranged in the
prefix as that Windows has it: the converter grpconv.exe in the Windows
directory (95, 98, Me), in the system directory (NT 4, 2000, XP), or nowhere
(Vista to 11, where the shell's link object makes the entry in the all-users
Programs folder). Each case is a completed install, then a removal: the
entry is where that layout puts it and nowhere else, it starts the installed
game from the install folder, and the removal leaves no entry of the game."""

import os

import installview
import kestwine
import removeview

FOLDER = "C:\\Games\\Kest\\"
CONVERTER_SHORTCUT = installview.SHORTCUT
COMMON_GROUP = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Brevald"
COMMON_SHORTCUT = COMMON_GROUP + "\\Rarivur Ivad Oraz.lnk"
ENTRIES = (CONVERTER_SHORTCUT, COMMON_SHORTCUT)


class StartMenuTests(removeview.RemovalTestCase):

    def place_converter(self, where):
        """Leaves the stand-in converter only in where ("windows",
        "system32" or None for nowhere)."""
        windows = self.session.host_path("C:\\windows")
        standing = os.path.join(windows, "grpconv.exe")
        if where == "system32":
            os.rename(standing, os.path.join(windows, "system32", "grpconv.exe"))
        elif where is None:
            os.remove(standing)

    def install_and_check_entry(self, entry):
        """Installs into FOLDER; the one entry is entry, and it starts the
        installed game from the install folder."""
        run = self.install(FOLDER)
        game = FOLDER + installview.GAME_EXE
        link = kestwine.wait_until(lambda: installview.read_link(self.session, entry), 30,
                                   what="the shortcut " + entry)
        self.assertEqual(installview.short_path(self.session, game).lower(),
                         (installview.short_path(self.session, link.target) or "").lower(),
                         "the shortcut starts %r, not the game" % link.target)
        self.assertEqual(FOLDER.rstrip("\\").lower(), link.folder.rstrip("\\").lower())
        for other in ENTRIES:
            if other != entry:
                self.assertFalse(self.exists(other), other)
        # SETUP.INI is written on every layout.
        self.assertIsNotNone(self.session.read_file(installview.GROUP_FILE))
        return run

    def remove(self):
        question = self.start_removal()
        self.answer(question, "Yes")
        self.expect_removed_message(question)
        for entry in ENTRIES:
            self.assertFalse(self.exists(entry), entry)
        self.assertFalse(self.exists(FOLDER))

    def test_converter_of_the_windows_directory(self):
        self.install_and_check_entry(CONVERTER_SHORTCUT)
        self.remove()
        # Its group folder stays, as removal always left it.
        self.assertTrue(self.exists(removeview.GROUP_FOLDER))

    def test_converter_of_the_system_directory(self):
        self.place_converter("system32")
        self.install_and_check_entry(CONVERTER_SHORTCUT)
        self.remove()

    def test_no_converter_uses_the_shells_link_and_removes_its_empty_group(self):
        self.place_converter(None)
        self.install_and_check_entry(COMMON_SHORTCUT)
        self.assertFalse(self.exists(removeview.GROUP_FOLDER))
        self.remove()
        self.assertFalse(self.exists(COMMON_GROUP))

    def test_no_converter_keeps_a_group_that_holds_another_entry(self):
        self.place_converter(None)
        other = COMMON_GROUP + "\\Another Game.lnk"
        self.session.write_file(other, b"another program's shortcut")
        self.install_and_check_entry(COMMON_SHORTCUT)
        self.remove()
        self.assertEqual(b"another program's shortcut", self.session.read_file(other))


if __name__ == "__main__":
    kestwine.main()
