"""The folder dialog that Install opens: what it shows and where, the
entries it refuses (in boxes the dialog owns; the dialog stays open with the
text still there), the shell's folder browser, Cancel or Escape leaving
everything as it was, and the splash and a second start of the installer
doing nothing while the dialog is up."""

import os

import installview
import kestwine
import shellview
from installview import (BROWSE_ID, CANCEL_ID, FOLDER_DIALOG_TITLE, FOLDER_FIELD_ID, OKAY_ID,
                         PROMPT_ID, PROPOSED_FOLDER, SETTINGS_KEY)


class FolderDialogTests(installview.InstallTestCase):

    def assert_nothing_changed(self):
        """No folder made, no log written, no install recorded."""
        self.assertFalse(os.path.exists(self.session.host_path("C:\\Games")))
        self.assertFalse(os.path.exists(self.session.host_path("C:\\Program Files\\Brevald")))
        self.assertIsNone(self.session.read_log())
        self.assert_not_recorded()

    def test_dialog_proposes_the_folder_centred_over_the_disabled_splash(self):
        program, window = self.start_setup()
        splash = self.session.wait_window(shellview.WINDOW_TITLE)

        self.open_folder_dialog(window)

        dialog, controls = installview.folder_dialog(self.session)
        self.assertEqual("#32770", dialog["class"])
        self.assertEqual(splash.hwnd, dialog.owner)
        self.assertEqual(installview.PROMPT_TEXT, controls[PROMPT_ID].text)
        self.assertIn("Game Folder", [child.text for child in controls.values()])
        self.assertEqual(PROPOSED_FOLDER, controls[FOLDER_FIELD_ID].text)
        self.assertEqual(("Browse...", "Okay", "Cancel"),
                         (controls[BROWSE_ID].text, controls[OKAY_ID].text,
                          controls[CANCEL_ID].text))
        # Centred: left + (width difference) / 2, top + (height difference) / 2.
        left, top, right, bottom = splash.rect
        d_left, d_top, d_right, d_bottom = dialog.rect
        width, height = d_right - d_left, d_bottom - d_top
        self.assertEqual((left + (right - left - width) // 2, top + (bottom - top - height) // 2),
                         (d_left, d_top))
        self.assertEqual(0, self.session.wait_window(shellview.WINDOW_TITLE).enabled)

        # The proposal is selected whole: typing replaces it.
        installview.type_folder(self.session, "D")
        self.assertEqual("D", installview.folder_field_text(self.session))

    def test_refused_entries_keep_the_dialog_open_with_their_text(self):
        greatest = installview.greatest_folder_length()
        one_too_long = "C:\\" + "a" * 100 + "\\" + "b" * (greatest - 103)
        self.assertEqual(greatest + 1, len(one_too_long))
        overfull = "C:\\" + "c" * 262  # the field keeps 260 characters of it
        refusals = [
            ("", installview.EMPTY_FOLDER_TEXT),
            ("Games\\KestDemo", installview.RELATIVE_FOLDER_TEXT),
            ("\\Games\\KestDemo", installview.RELATIVE_FOLDER_TEXT),
            ("C:Games\\KestDemo", installview.RELATIVE_FOLDER_TEXT),
            (one_too_long, installview.LONG_FOLDER_TEXT % greatest),
            (overfull, installview.LONG_FOLDER_TEXT % greatest),
        ]
        program, window = self.start_setup()
        dialog = self.open_folder_dialog(window)

        for index, (entry, message) in enumerate(refusals):
            with self.subTest(entry=entry[:30], length=len(entry)):
                installview.type_folder(self.session, entry, replace_all=True)
                installview.press_okay(self.session, by="keyboard" if index % 2 else "mouse")

                box = self.session.message_box(press="OK")

                self.assertEqual(message, box.text)
                self.assertEqual(["OK"], box.button_texts)
                self.assertEqual(0, box.icon)
                self.assertEqual(dialog.hwnd, box.window.owner)
                dialog, controls = installview.folder_dialog(self.session)
                self.assertEqual(1, dialog.visible)
                self.assertEqual(entry[:installview.FOLDER_FIELD_LIMIT],
                                 controls[FOLDER_FIELD_ID].text)

        installview.press_cancel(self.session)
        self.session.wait_window_gone(FOLDER_DIALOG_TITLE)
        self.assert_nothing_changed()
        self.assertTrue(program.running())

    def test_cancel_and_escape_change_nothing_and_the_proposal_comes_back(self):
        program, window = self.start_setup()
        self.open_folder_dialog(window, by="mouse")
        installview.type_folder(self.session, "C:\\Games\\Elsewhere")

        installview.press_cancel(self.session, by="mouse")

        self.session.wait_window_gone(FOLDER_DIALOG_TITLE)
        self.assertIsNone(installview.next_message(self.session, 2))
        self.assert_nothing_changed()

        # Shown again, the dialog proposes the same folder as before.
        self.open_folder_dialog(window, by="mouse")
        self.assertEqual(PROPOSED_FOLDER, installview.folder_field_text(self.session))

        installview.press_cancel(self.session, by="keyboard")

        self.session.wait_window_gone(FOLDER_DIALOG_TITLE)
        self.assertIsNone(installview.next_message(self.session, 2))
        self.assert_nothing_changed()
        self.assertEqual(1, self.session.wait_window(shellview.WINDOW_TITLE).enabled)
        self.assert_still_offers_install()

    def test_splash_and_a_second_start_do_nothing_while_the_dialog_is_up(self):
        program, window = self.start_setup()
        dialog = self.open_folder_dialog(window, by="mouse")

        # A click on Exit, which would close a splash that took commands.
        self.session.mouse_move(*shellview.spot_center_on_screen(shellview.SPOT_EXIT))
        self.session.mouse_click()
        # A second start brings the first forward and ends.
        second = self.session.start_installer()
        self.assertEqual(0, second.wait(30))

        self.assertIsNone(installview.next_message(self.session, 2))
        self.assertTrue(program.running())
        self.assertEqual(1, len(self.session.x_windows(shellview.WINDOW_TITLE)))
        self.assertEqual(dialog.hwnd,
                         self.session.wait_window(FOLDER_DIALOG_TITLE, "#32770").hwnd)
        installview.press_cancel(self.session)
        self.session.wait_window_gone(FOLDER_DIALOG_TITLE)
        self.assert_nothing_changed()
        self.assertTrue(program.running())

    def browser(self, dialog):
        """The shell's folder browser the dialog opened (its title is the
        platform's): the record of the dialog-class window it owns, and its
        controls, once it shows the prompt "Brevald Game Setup"."""
        def shown():
            for record in self.session.driver("list").all("window"):
                if record["class"] == "#32770" and record.owner == dialog.hwnd:
                    return (record,)
            return None
        window = kestwine.wait_until(shown, 20, interval=0.2, what="the folder browser")[0]
        _, children = self.session.dump(window.title)
        texts = [child.text for child in children]
        self.assertIn(installview.BROWSER_PROMPT, texts)
        return window, children

    def test_browse_puts_the_chosen_folder_in_the_field_and_okay_installs_there(self):
        user_folders = [name for name in os.listdir(self.session.host_path("C:\\users"))
                        if name != "Public"]
        self.assertEqual(1, len(user_folders))
        documents = "C:\\users\\%s\\Documents" % user_folders[0]
        program, window = self.start_setup()
        dialog = self.open_folder_dialog(window)

        # A cancelled browser leaves the field alone.
        installview.click_control(self.session, installview.folder_dialog(self.session)[1][BROWSE_ID])
        browser, controls = self.browser(dialog)
        installview.click_control(self.session, [c for c in controls if c.id == CANCEL_ID][0])
        self.session.wait_window_gone(browser.title)
        self.assertEqual(PROPOSED_FOLDER, installview.folder_field_text(self.session))

        # The user's documents: the tree's first row (the desktop), then
        # the first letters of the folder's name.
        installview.click_control(self.session, installview.folder_dialog(self.session)[1][BROWSE_ID])
        browser, controls = self.browser(dialog)
        tree = [c for c in controls if c["class"] == "SysTreeView32"][0]
        self.session.mouse_move(tree.rect[0] + 40, tree.rect[1] + 9)
        self.session.mouse_click()
        installview.type_text(self.session, browser.title, "Docu")
        installview.click_control(self.session, [c for c in controls if c.id == OKAY_ID][0])
        self.session.wait_window_gone(browser.title)

        # The shell may give the path with or without a final backslash.
        self.assertEqual(documents, installview.folder_field_text(self.session).rstrip("\\"))
        self.assertEqual(1, self.session.wait_window(FOLDER_DIALOG_TITLE).visible)

        installview.install_through_ui(self.session, None, program=program, window=window,
                                       already_open=True)
        self.assertEqual(("REG_SZ", documents + "\\"),
                         self.session.reg_query(SETTINGS_KEY, "VRKNPath"))
        self.assert_holds_game_files(documents + "\\")


if __name__ == "__main__":
    kestwine.main()
