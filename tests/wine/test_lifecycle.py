"""The demo's whole life through the installer's window, within one run and
across runs: install, close, start again (Un-Install offered), remove,
start again (Install offered), install into the same folder again; the
switches set in System Options outliving a removal and a reinstallation;
and a registry that refuses the record, told at removal and at install.

Within a run the installed state is the window's; across runs it is the
stored folder "VRKNPath" alone (empty text: not installed)."""


import installview
import kestwine
import removeview
from removeview import DEFAULT_FOLDER, GAME_TITLE, SETTINGS_KEY, SHORTCUT
from shellview import SPOT_CONFIGURE, SPOT_EXIT, SPOT_PLAY

OPTIONS_TITLE = "Brevald Game Configuration"
BOX_DIRECTX = 202
REPORT_PATH = "C:\\kestdemo-report.txt"


class LifecycleTests(removeview.RemovalTestCase):

    def remove_answering_yes(self):
        question = self.start_removal()
        self.assert_question(question)
        self.answer(question, "Yes")
        self.expect_removed_message(question)

    def install_in_this_run(self, program, window, proposed):
        """Installs from a splash that has already been used: Install is
        chosen with the mouse, the folder dialog must propose proposed, and
        Enter takes it."""
        # The pointer leaves the second caption first, so that coming back
        # to it is a move the window sees.
        self.select(SPOT_EXIT, installed=False)
        installview.open_folder_dialog(self.session, window, by="mouse")
        self.assertEqual(proposed, installview.folder_field_text(self.session))
        installview.press_okay(self.session)
        box = installview.next_message(self.session, installview.INSTALL_TIMEOUT)
        self.assertIsNotNone(box, "no message after the install")
        self.assertEqual(installview.COMPLETION_TEXT, box.text)
        self.session.message_box(press="OK")

    def assert_recorded(self, folder, **switches):
        expected = dict(installview.SWITCHES, VRKNPath=("REG_SZ", folder))
        expected.update({name: ("REG_DWORD", value) for name, value in switches.items()})
        self.assertEqual(expected, self.session.reg_values(SETTINGS_KEY))

    def directx_box(self):
        _, children = self.session.dump(OPTIONS_TITLE)
        return [child for child in children if child.id == BOX_DIRECTX][0]

    def test_install_close_remove_and_reinstall_across_runs(self):
        folder = "C:\\Games\\Kest\\"

        # First run: install into a folder of one's own, and close.
        run = self.install(folder.rstrip("\\"), by="mouse")
        self.assert_installed(folder)
        self.exit_installer(run.program)

        # Second run: Un-Install is offered; remove, then install again.
        program, window = self.start_setup_installed()
        self.assert_captions_installed()
        self.remove_answering_yes()
        self.assertFalse(self.exists(folder), "the install folder is still there")
        self.assert_recorded("")
        self.assertFalse(self.exists(SHORTCUT))
        self.assert_captions_not_installed()
        # The folder dialog proposes the folder just removed, as stored.
        self.install_in_this_run(program, window, proposed=folder)
        self.assert_holds_game_files(folder)
        self.assert_recorded(folder)
        self.assertTrue(self.exists(SHORTCUT), "no shortcut after the second install")
        self.assert_captions_installed()
        self.exit_installer(program)

        # Third run: installed again, and the game plays from that folder.
        self.session.env["KESTDEMO_REPORT"] = REPORT_PATH
        program, window = self.start_setup_installed()
        self.select(SPOT_PLAY)
        self.session.key(window, "Return")
        self.assertEqual(0, program.wait(20))
        report = kestwine.wait_until(lambda: self.session.read_file(REPORT_PATH), 10,
                                     what="the game's report")
        self.assertEqual(folder.rstrip("\\").encode("latin-1"), report)
        self.session.key(self.session.x_window(GAME_TITLE), "Escape")
        self.session.wait_window_gone(GAME_TITLE)

    def test_removed_and_reinstalled_in_one_run_keeping_the_options(self):
        run = self.install()
        self.assert_installed(DEFAULT_FOLDER)

        # System Options: DirectX off, confirmed with Okay.
        self.select(SPOT_CONFIGURE)
        self.session.mouse_click()
        self.session.x_window(OPTIONS_TITLE)
        self.assertEqual(1, self.directx_box().check)
        installview.click_control(self.session, self.directx_box())
        kestwine.wait_until(lambda: self.directx_box().check == 0, 10,
                            what="the DirectX box unchecked")
        self.session.key(self.session.x_window(OPTIONS_TITLE), "Return")
        self.session.wait_window_gone(OPTIONS_TITLE)
        self.assert_recorded(DEFAULT_FOLDER, DirectX=0)

        # Removal keeps the switches and turns the window back.
        self.remove_answering_yes()
        self.assertFalse(self.exists(DEFAULT_FOLDER))
        self.assert_recorded("", DirectX=0)
        self.assert_captions_not_installed()

        # Installing again in the same run: the same folder, and the switch
        # the installer holds is recorded with it.
        self.install_in_this_run(run.program, run.window, proposed=installview.PROPOSED_FOLDER)
        self.assert_holds_game_files(DEFAULT_FOLDER)
        self.assert_recorded(DEFAULT_FOLDER, DirectX=0)
        self.assertTrue(self.exists(SHORTCUT))
        self.assert_captions_installed()
        self.exit_installer(run.program)

        # The next run finds the demo installed and shows the switch.
        program, window = self.start_setup_installed()
        self.select(SPOT_CONFIGURE)
        self.session.mouse_click()
        self.session.x_window(OPTIONS_TITLE)
        self.assertEqual(0, self.directx_box().check)
        self.session.key(self.session.x_window(OPTIONS_TITLE), "Escape")
        self.session.wait_window_gone(OPTIONS_TITLE)
        self.exit_installer(program)
        self.assert_recorded(DEFAULT_FOLDER, DirectX=0)


    def test_a_registry_that_refuses_the_record_is_told_at_removal_and_at_install(self):
        # Installed as far as the registry and one of the game's files go.
        folder = "C:\\Games\\Kest\\"
        self.session.reg_add(SETTINGS_KEY, "VRKNPath", "REG_SZ", folder)
        name = installview.game_members()[0]
        self.session.write_file(folder + name, installview.game_file(name))
        program, window = self.start_setup_installed()
        installview.refuse_settings_record(self.session)

        # Un-Install: the files go, and the user learns the record stays.
        question = self.start_removal()
        self.answer(question, "Yes")
        box = removeview.next_box(self.session, previous=question.window.hwnd)
        self.assertIsNotNone(box, "no message after the removal")
        self.assertEqual(removeview.NOT_FORGOTTEN_TEXT, box.text)
        self.assertEqual(["OK"], box.button_texts)
        removeview.click_box_button(self.session, box, "OK")
        self.assertFalse(self.exists(folder))
        self.assertFalse(self.exists(SHORTCUT))

        # Install in the same run: the game is unpacked, then taken back
        # when it cannot be recorded; the user is told why in one message,
        # no Start-menu entry is made, and the splash still offers Install.
        self.select(SPOT_EXIT, installed=False)
        installview.open_folder_dialog(self.session, window, by="mouse")
        self.assertEqual(folder, installview.folder_field_text(self.session))
        made = installview.missing_folders(self.session, folder)
        self.assertEqual(["C:\\Games\\Kest"], made)
        installview.press_okay(self.session)
        box = installview.next_message(self.session, installview.INSTALL_TIMEOUT)
        self.assertIsNotNone(box, "no message after the install")
        reason = installview.NOT_RECORDED_REASON
        self.assertEqual(installview.ABANDONED_TEXT % reason, box.text)
        self.session.message_box(press="OK")
        self.assertIsNone(installview.next_message(self.session, 3))
        self.assertFalse(self.exists(folder))
        # The driver step had moved the game's driver on already.
        created = [folder + name for name in installview.game_members()
                   if name != installview.DRIVER_MEMBER]
        self.assertEqual((removeview.NOT_FORGOTTEN_LINE + "\r\n").encode() +
                         installview.extracting_log(folder) +
                         (installview.NOT_RECORDED_LINE + "\r\n").encode() +
                         installview.undo_log(reason, created, made),
                         self.session.read_log())
        self.assertIsNone(self.session.reg_values(SETTINGS_KEY))
        self.assertFalse(self.exists(SHORTCUT))
        self.assertIsNone(self.session.read_file(installview.GROUP_FILE))
        self.assert_captions_not_installed()
        self.assertTrue(program.running())


if __name__ == "__main__":
    kestwine.main()
