"""An installer whose archive carries one damaged member (KestSetupDamaged:
one byte of level3.map's packed data flipped, every header sound). The
unpacking reports the fault while the progress bar and the file's name are
shown, goes on to the last member, and then the install stops: no driver
step, no program group, no registry record, no completion message; the
files written stay."""

import os

import installview
import kestwine
import shellview
from installview import PROGRESS_BAR_ID, STATUS_LABEL_ID

FOLDER = "C:\\Games\\Kest\\"
DAMAGED_MEMBER = "level3.map"


class DamagedArchiveTests(installview.InstallTestCase):

    def test_crc_error_stops_the_install_before_the_driver_step(self):
        exe = os.path.join(self.session.paths.windows, "KestSetupDamaged.exe")
        program, window = self.start_setup(exe)
        self.open_folder_dialog(window, exe=exe)
        installview.type_folder(self.session, FOLDER)
        installview.press_okay(self.session)

        # The first message comes in the middle of the unpacking.
        first = installview.next_message(self.session, installview.INSTALL_TIMEOUT)
        self.assertIsNotNone(first, "no message about the damaged member")
        controls = installview.main_window_controls(self.session)
        self.assertEqual(1, controls[PROGRESS_BAR_ID].visible)
        self.assertEqual(1, controls[STATUS_LABEL_ID].visible)
        self.assertEqual(installview.EXTRACTING_LINE % (DAMAGED_MEMBER, FOLDER + DAMAGED_MEMBER),
                         controls[STATUS_LABEL_ID].text)
        self.session.message_box(press="OK")
        texts = [first.text] + installview.messages_until_quiet(self.session)

        self.assertIn("CRC error", texts)
        self.assertNotIn(installview.COMPLETION_TEXT, texts)
        # Every member was written, the damaged one with wrong bytes; the
        # driver was not moved into the system directory.
        self.assertEqual(installview.extracting_log(FOLDER), self.session.read_log())
        listing = self.folder_listing(FOLDER)
        self.assertEqual(sorted(installview.game_members()), sorted(listing))
        for name in installview.game_members():
            same = listing[name] == installview.game_file(name)
            self.assertEqual(name != DAMAGED_MEMBER, same, name)
        self.assertIsNone(self.session.read_file(installview.SYSTEM_DRIVER))
        self.assert_not_recorded()
        controls = installview.main_window_controls(self.session)
        self.assertEqual(0, controls[PROGRESS_BAR_ID].visible)
        self.assertEqual(0, controls[STATUS_LABEL_ID].visible)
        self.assertEqual(1, self.session.wait_window(shellview.WINDOW_TITLE).enabled)
        self.assert_still_offers_install()
        self.assertTrue(program.running())


if __name__ == "__main__":
    kestwine.main()
