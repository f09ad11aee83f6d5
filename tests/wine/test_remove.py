"""Un-Install after an install through the window: the question, what goes
and what stays, and the splash's state afterwards.

Removal deletes only the files the installation put into the install
folder (the members of the archive the installer carries, whatever their
case), one folder level deep, and removes the folder only when that leaves
it empty. It then empties the stored folder "VRKNPath" (the four switches
keep their values), deletes the Start-menu shortcut (its group folder
stays) and reports "   Demo removed.   \\n\\n". When the folder cannot be
listed at all, nothing else is touched and the demo stays installed."""

import os
import shutil

import installview
import kestwine
import removeview
from removeview import DEFAULT_FOLDER, GROUP_FOLDER, SETTINGS_KEY, SHORTCUT


class RemovalTests(removeview.RemovalTestCase):

    def install_with_switches(self, folder=None):
        """Stores switches other than the first values before the start, so
        that removal can be seen to keep them, and installs; returns the
        InstallRun and the settings key's values after the install."""
        self.session.reg_add(SETTINGS_KEY, "DirectX", "REG_DWORD", 0)
        self.session.reg_add(SETTINGS_KEY, "Debug", "REG_DWORD", 5)
        run = self.install(folder)
        return run, self.session.reg_values(SETTINGS_KEY)

    def assert_removal_recorded(self, installed_values):
        """The stored folder is empty text, every switch as it was, and the
        shortcut is gone while its group folder stays."""
        self.assertEqual(dict(installed_values, VRKNPath=("REG_SZ", "")),
                         self.session.reg_values(SETTINGS_KEY))
        self.assertFalse(self.exists(SHORTCUT), "the shortcut is still there")
        self.assertTrue(os.path.isdir(self.session.host_path(GROUP_FOLDER)),
                        "the group folder went with the shortcut")

    def test_yes_removes_folder_shortcut_and_stored_folder_and_offers_install(self):
        run, installed_values = self.install_with_switches()
        self.assertEqual(("REG_DWORD", 0), installed_values["DirectX"])
        self.assertTrue(self.exists(SHORTCUT))
        group_file = self.session.read_file(installview.GROUP_FILE)
        driver = self.session.read_file(installview.SYSTEM_DRIVER)

        question = self.start_removal(by="mouse")
        self.assert_question(question)
        self.answer(question, "Yes")
        self.expect_removed_message(question)

        self.assertFalse(self.exists(DEFAULT_FOLDER), "the install folder is still there")
        self.assertTrue(self.exists("C:\\Program Files\\Brevald"),
                        "the folder above the install folder went too")
        self.assert_removal_recorded(installed_values)
        # Neither the group description nor the driver belongs to removal.
        self.assertEqual(group_file, self.session.read_file(installview.GROUP_FILE))
        self.assertEqual(driver, self.session.read_file(installview.SYSTEM_DRIVER))
        self.assert_captions_not_installed()
        self.assertTrue(run.program.running())
        self.exit_installer(run.program)

    def test_no_changes_nothing(self):
        run, installed_values = self.install_with_switches()
        files_before = self.folder_listing(DEFAULT_FOLDER)

        question = self.start_removal(by="keyboard")
        self.assert_question(question)
        self.answer(question, "No")

        self.expect_no_message()
        self.assertEqual(files_before, self.folder_listing(DEFAULT_FOLDER))
        self.assertEqual(installed_values, self.session.reg_values(SETTINGS_KEY))
        self.assertTrue(self.exists(SHORTCUT), "the shortcut went after No")
        self.assert_captions_installed()

    def test_enter_on_the_question_answers_yes(self):
        run, installed_values = self.install_with_switches()

        question = self.start_removal(by="keyboard")
        self.session.key(self.session.x_window(kestwine.MESSAGE_CAPTION), "Return")
        removeview.wait_box_closed(self.session, question.window.hwnd)

        self.expect_removed_message(question)
        self.assertFalse(self.exists(DEFAULT_FOLDER))
        self.assert_removal_recorded(installed_values)

    def test_files_of_the_user_stay_with_the_folder(self):
        run, installed_values = self.install_with_switches()
        own = {
            "notes.txt": b"my own notes\r\n",
            # Names close to the game's but none of them.
            "kestdemo.exe.bak": b"an old copy",
            "level7.map": b"a level of my own",
        }
        for name, data in own.items():
            self.session.write_file(DEFAULT_FOLDER + name, data)
        # A subfolder with a file of the same name as one of the game's.
        self.session.write_file(DEFAULT_FOLDER + "saves\\readme.txt", b"slot 1")

        question = self.start_removal()
        self.answer(question, "Yes")
        self.expect_removed_message(question)

        self.assertEqual(own, self.folder_listing(DEFAULT_FOLDER))
        self.assertEqual(sorted(list(own) + ["saves"]), self.listing(DEFAULT_FOLDER))
        self.assertEqual(b"slot 1", self.session.read_file(DEFAULT_FOLDER + "saves\\readme.txt"))
        self.assert_removal_recorded(installed_values)
        self.assert_captions_not_installed()

    def test_a_subfolder_alone_keeps_the_folder(self):
        run, installed_values = self.install_with_switches()
        self.session.write_file(DEFAULT_FOLDER + "saves\\slot1.sav", b"slot 1")
        self.session.write_file(DEFAULT_FOLDER + "saves\\kestdemo.ini", b"[mine]\r\n")

        question = self.start_removal()
        self.answer(question, "Yes")
        self.expect_removed_message(question)

        self.assertEqual(["saves"], self.listing(DEFAULT_FOLDER))
        self.assertEqual(["kestdemo.ini", "slot1.sav"], self.listing(DEFAULT_FOLDER + "saves"))
        self.assertEqual(b"[mine]\r\n", self.session.read_file(DEFAULT_FOLDER + "saves\\kestdemo.ini"))
        self.assert_removal_recorded(installed_values)

    def test_a_read_only_installed_file_stays_and_the_rest_goes(self):
        run, installed_values = self.install_with_switches()
        installed = self.listing(DEFAULT_FOLDER)
        kept = installed[len(installed) // 2]
        self.set_read_only(DEFAULT_FOLDER + kept)

        question = self.start_removal()
        self.answer(question, "Yes")
        self.expect_removed_message(question)

        self.assertEqual([kept], self.listing(DEFAULT_FOLDER))
        self.assertEqual(installview.game_file(kept),
                         self.session.read_file(DEFAULT_FOLDER + kept))
        self.assert_removal_recorded(installed_values)
        self.assert_captions_not_installed()

    def test_an_installed_file_renamed_in_another_case_still_goes(self):
        # Windows names are one name whatever their case.
        run, installed_values = self.install_with_switches()
        renamed = self.listing(DEFAULT_FOLDER)[0]
        os.rename(self.session.host_path(DEFAULT_FOLDER + renamed),
                  self.session.host_path(DEFAULT_FOLDER + renamed.upper()))

        question = self.start_removal()
        self.answer(question, "Yes")
        self.expect_removed_message(question)

        if self.exists(DEFAULT_FOLDER):
            self.fail("left in the folder: %s" % self.listing(DEFAULT_FOLDER))
        self.assert_removal_recorded(installed_values)

    def test_a_folder_deleted_by_hand_leaves_the_demo_installed(self):
        run, installed_values = self.install_with_switches()
        shutil.rmtree(self.host_folder(DEFAULT_FOLDER))

        question = self.start_removal()
        self.answer(question, "Yes")

        self.expect_no_message()
        self.assertEqual(installed_values, self.session.reg_values(SETTINGS_KEY))
        self.assertEqual(("REG_SZ", DEFAULT_FOLDER), installed_values["VRKNPath"])
        self.assertTrue(self.exists(SHORTCUT), "the shortcut went")
        self.assertFalse(self.exists(DEFAULT_FOLDER))
        self.assert_captions_installed()
        # Asked again, it meets the same outcome.
        question = self.start_removal()
        self.answer(question, "Yes")
        self.expect_no_message()
        self.assertEqual(installed_values, self.session.reg_values(SETTINGS_KEY))

    def test_a_stored_folder_without_its_backslash_reaches_nothing_beside_it(self):
        # Installed into C:\Games\Kest, then the record rewritten without the
        # final backslash, as another program might leave it. Beside the
        # folder lie files whose names the search pattern "C:\Games\Kest*.*"
        # would meet, and the files that "C:\Games\Kest" + such a name would
        # reach.
        folder = "C:\\Games\\Kest"
        run, installed_values = self.install_with_switches(folder)
        self.exit_installer(run.program)
        self.session.reg_add(SETTINGS_KEY, "VRKNPath", "REG_SZ", folder)
        beside = {
            "C:\\Games\\kestdemo.exe": b"another game",
            "C:\\Games\\Kestkestdemo.exe": b"yet another game",
            "C:\\Games\\KestNotes.txt": b"notes",
            "C:\\Games\\KestKestNotes.txt": b"more notes",
        }
        for path, data in beside.items():
            self.session.write_file(path, data)
        program, _ = self.start_setup_installed()

        question = self.start_removal()
        self.answer(question, "Yes")
        self.expect_removed_message(question)

        self.assertFalse(self.exists(folder), "the install folder is still there")
        for path, data in beside.items():
            self.assertEqual(data, self.session.read_file(path), path)
        self.assertEqual(sorted(os.path.basename(path.replace("\\", "/")) for path in beside),
                         self.listing("C:\\Games"))
        self.assert_removal_recorded(installed_values)
        self.exit_installer(program)


if __name__ == "__main__":
    kestwine.main()
