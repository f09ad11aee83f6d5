"""The Win32 test driver (wintest.exe) against windows whose contents are
known: a message box and a dialog with a child dialog, both shown by
wintest_target.exe. Later end-to-end tests rely on what is checked here."""

import os

import kestwine


class DriverTests(kestwine.WineTestCase):

    def target(self, *args):
        exe = os.path.join(self.session.paths.windows, "wintest_target.exe")
        return self.session.start(exe, *args, capture=True)

    def test_message_box_text_is_read_exactly_and_ok_is_pressed(self):
        target = self.target("msgbox", r"   Install completed.   \n\n", "Brevald", "0")

        box = self.session.message_box(press="OK")

        self.assertEqual("   Install completed.   \n\n", box.text)
        self.assertEqual("Brevald", box.window.title)
        self.assertEqual("#32770", box.window["class"])
        self.assertEqual(0, box.icon)
        self.assertEqual(["OK"], box.button_texts)
        self.assertEqual(1, target.wait(20))  # IDOK

    def test_question_box_shows_icon_and_chosen_button_ends_it(self):
        # MB_YESNO | MB_ICONQUESTION; the text carries bytes to be escaped.
        target = self.target("msgbox", r'Remove "C:\\Demo"?\tSure\n', "Brevald", "0x24")

        box = self.session.message_box(press="No")

        self.assertEqual('Remove "C:\\Demo"?\tSure\n', box.text)
        self.assertEqual(1, box.icon)
        self.assertEqual(["Yes", "No"], box.button_texts)
        self.assertEqual(7, target.wait(20))  # IDNO

    def test_message_box_with_another_caption_is_not_taken(self):
        target = self.target("msgbox", "Hello", "Other", "0")
        self.session.wait_window("Other", "#32770")

        result = self.session.driver("msgbox", "--timeout", "1500", expect=2)

        self.assertIn("Brevald", result.stderr)
        self.session.driver("click", "Other", "OK")
        self.assertEqual(1, target.wait(20))

    def test_dump_lists_controls_of_the_dialog_and_its_child_dialog(self):
        self.target("dialog")

        window, children = self.session.dump("Target Dialog")

        self.assertEqual("#32770", window["class"])
        self.assertEqual(1, window.visible)
        by_id = {child.id: child for child in children}
        self.assertEqual("Edit", by_id[101]["class"])
        self.assertEqual("start", by_id[101].text)
        self.assertEqual("Option &A", by_id[102].text)
        self.assertEqual(0, by_id[102].check)
        self.assertEqual(0, by_id[103].enabled)
        self.assertEqual(1, by_id[1].enabled)
        # The child dialog's controls lie one level deeper.
        self.assertEqual("Inner", by_id[201].text)
        self.assertEqual(2, by_id[201].depth)
        self.assertEqual("Page text", by_id[202].text)
        self.assertEqual(1, by_id[102].depth)

    def test_settext_check_and_click_reach_the_dialog(self):
        target = self.target("dialog")
        self.session.wait_window("Target Dialog")

        self.session.driver("settext", "Target Dialog", "101", "C:\\Games\\Kest Demo")
        self.session.driver("check", "Target Dialog", "201", "1")
        self.session.driver("click", "Target Dialog", "Option A")
        self.session.driver("click", "Target Dialog", "#1")

        self.assertEqual(1, target.wait(20))  # IDOK
        self.assertEqual('result edit="C:\\Games\\Kest Demo" a=1 inner=1',
                         target.output().strip())

    def test_click_refuses_a_disabled_or_missing_button(self):
        target = self.target("dialog")
        self.session.wait_window("Target Dialog")

        disabled = self.session.driver("click", "Target Dialog", "Never", expect=3)
        missing = self.session.driver("click", "Target Dialog", "Nowhere", expect=3)

        self.assertIn("disabled", disabled.stderr)
        self.assertIn("Nowhere", missing.stderr)
        self.session.driver("click", "Target Dialog", "Cancel")
        self.assertEqual(2, target.wait(20))  # IDCANCEL

    def test_find_follows_findwindow_and_wait_times_out(self):
        self.target("dialog")
        self.session.wait_window("Target Dialog")

        self.session.driver("find", "#32770", "Target Dialog", expect=0)
        self.session.driver("find", "-", "Target Dialog", expect=0)
        self.session.driver("find", "BrevaldSetup", "Target Dialog", expect=1)
        self.session.driver("find", "#32770", "Target", expect=1)
        late = self.session.driver("wait", "No Such Window", "--timeout", "800", expect=2)
        self.assertIn("No Such Window", late.stderr)

    def test_hold_window_takes_the_foreground(self):
        self.target("dialog")
        self.session.wait_window("Target Dialog")
        kestwine.wait_until(lambda: self.session.foreground_title() == "Target Dialog", 10,
                            what="the dialog in front")

        self.session.start(self.session.paths.driver, "hold", "Holder", "20000")
        self.session.wait_window("Holder")

        kestwine.wait_until(lambda: self.session.foreground_title() == "Holder", 10,
                            what="the hold window in front")


class PathAndLinkTests(kestwine.WineTestCase):
    """shortpath and link, which the install tests use to read what the
    installer's program group refers to. The link is made by the program-
    group converter the template prefix carries in C:\\windows."""

    LONG_FOLDER = "C:\\Tools of Mine\\Long Folder Name\\"

    def test_shortpath_gives_an_8_3_path_to_the_same_file(self):
        long_path = self.LONG_FOLDER + "some tool.exe"
        self.session.write_file(long_path, b"MZ")

        short = self.session.driver("shortpath", long_path).first("shortpath").path

        parts = short.split("\\")
        self.assertEqual("C:", parts[0])
        self.assertEqual(4, len(parts))
        for part in parts[1:]:
            self.assertRegex(part, r"^[^ .]{1,8}(\.[^ .]{1,3})?$")
        self.assertNotEqual(long_path, short)
        # A short path is its own short form.
        self.assertEqual(short, self.session.driver("shortpath", short).first("shortpath").path)
        missing = self.session.driver("shortpath", self.LONG_FOLDER + "missing.exe", expect=1)
        self.assertEqual("none", missing.stdout.strip())

    def test_link_reads_back_what_the_converter_wrote(self):
        program = self.LONG_FOLDER + "tool.exe"
        self.session.write_file(program, b"MZ")
        short = self.session.driver("shortpath", program).first("shortpath").path
        self.session.write_file(
            "C:\\windows\\SETUP.INI",
            ("[progman.groups]\r\ngroupX=Tools\r\n[groupX]\r\n"
             "\"My Tool\",\"%s\",,,,\"%s\"\r\n" % (short, self.LONG_FOLDER)).encode())
        self.session.wine_checked("grpconv", "-o")
        link_path = "C:\\windows\\Start Menu\\Programs\\Tools\\My Tool.LNK"

        link = self.session.driver("link", link_path).first("link")

        self.assertEqual(short, self.session.driver("shortpath", link.target)
                         .first("shortpath").path)
        self.assertEqual("", link.arguments)
        self.assertEqual(self.LONG_FOLDER, link.folder)
        missing = self.session.driver("link", "C:\\windows\\nothing.lnk", expect=1)
        self.assertEqual("none", missing.stdout.strip())


if __name__ == "__main__":
    kestwine.main()
