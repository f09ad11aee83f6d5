"""An installer whose archive carries one damaged member (KestSetupDamaged:
one byte of level3.map's packed data flipped, every header sound). The
whole archive is checked in memory before anything is written: the fault
is shown and logged, a last message says nothing was installed, and the
install stops with no folder made, no file written, no driver step, no
program group, no registry record and no completion message."""

import os

import installview
import kestwine
import shellview
from installview import PROGRESS_BAR_ID, STATUS_LABEL_ID

FOLDER = "C:\\Games\\Kest\\"


class DamagedArchiveTests(installview.InstallTestCase):

    def test_damaged_member_stops_the_install_before_any_file_is_written(self):
        exe = os.path.join(self.session.paths.windows, "KestSetupDamaged.exe")
        program, window = self.start_setup(exe)
        self.open_folder_dialog(window, exe=exe)
        installview.type_folder(self.session, FOLDER)
        installview.press_okay(self.session)

        # The first message comes before anything is unpacked: the progress
        # bar and the file name are not shown.
        first = installview.next_message(self.session, installview.INSTALL_TIMEOUT)
        self.assertIsNotNone(first, "no message about the damaged member")
        controls = installview.main_window_controls(self.session)
        self.assertEqual(0, controls[PROGRESS_BAR_ID].visible)
        self.assertEqual(0, controls[STATUS_LABEL_ID].visible)
        self.assertFalse(os.path.exists(self.host_folder(FOLDER)))
        self.session.message_box(press="OK")
        texts = [first.text] + installview.messages_until(self.session,
                                                          installview.DAMAGED_TEXT)

        self.assertIn("CRC error", texts)
        self.assertEqual(installview.DAMAGED_TEXT, texts[-1])
        self.assertNotIn(installview.COMPLETION_TEXT, texts)
        # Each fault is on record, then the closing line; no member was
        # extracted.
        fault_lines = "".join(text.replace("\n", " ") + "\r\n" for text in texts[:-1])
        self.assertEqual((fault_lines + installview.DAMAGED_LINE + "\r\n").encode("latin-1"),
                         self.session.read_log())
        self.assertFalse(os.path.exists(self.host_folder(FOLDER)))
        self.assertFalse(os.path.exists(self.session.host_path("C:\\Games")))
        self.assertIsNone(self.session.read_file(installview.SYSTEM_DRIVER))
        self.assert_not_recorded()
        self.assertEqual(1, self.session.wait_window(shellview.WINDOW_TITLE).enabled)
        self.assert_still_offers_install()
        self.assertTrue(program.running())


if __name__ == "__main__":
    kestwine.main()
