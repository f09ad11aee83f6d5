"""The splash when the registry says the demo is installed ("VRKNPath" set
under HKEY_LOCAL_MACHINE\\SOFTWARE\\Brevald\\Settings before the start): the
second caption reads Un-Install and PLAY and Configure take part in the
selection. The folder need not exist: only the stored text counts."""

import kestwine
import shellview
from shellview import SETTINGS_KEY, SPOT_CONFIGURE, SPOT_EXIT, SPOT_INSTALL, SPOT_PLAY

STORED_FOLDER = "D:\\Games\\Demo\\"


class InstalledSplashTests(shellview.SplashTestCase):

    def setUp(self):
        super().setUp()
        self.session.reg_add(SETTINGS_KEY, "VRKNPath", "REG_SZ", STORED_FOLDER)
        self.program, self.window = self.start_setup()
        self.expect_window(installed=True)

    def press(self, *keys):
        self.session.key(self.window, *keys)

    def test_right_walks_through_all_four_captions_and_wraps(self):
        self.press("Right")
        self.expect_window(highlight=SPOT_PLAY, installed=True)
        self.press("Right")
        self.expect_window(highlight=SPOT_INSTALL, installed=True)
        self.press("Right")
        self.expect_window(highlight=SPOT_CONFIGURE, installed=True)
        self.press("Right")
        self.expect_window(highlight=SPOT_EXIT, installed=True)
        self.press("Right")
        self.expect_window(highlight=SPOT_PLAY, installed=True)

    def test_left_from_play_wraps_to_exit_then_reaches_configure(self):
        self.press("Right")
        self.expect_window(highlight=SPOT_PLAY, installed=True)
        self.press("Left")
        self.expect_window(highlight=SPOT_EXIT, installed=True)
        self.press("Left")
        self.expect_window(highlight=SPOT_CONFIGURE, installed=True)

    def test_mouse_from_uninstall_to_configure_restores_the_red_uninstall(self):
        self.hover(SPOT_INSTALL)
        self.expect_window(highlight=SPOT_INSTALL, installed=True)

        self.hover(SPOT_CONFIGURE)

        self.expect_window(highlight=SPOT_CONFIGURE, installed=True)

    def test_hovering_play_lights_it(self):
        self.hover(SPOT_PLAY)
        self.expect_window(highlight=SPOT_PLAY, installed=True)

    def test_start_and_exit_keep_the_stored_folder(self):
        self.press("Escape")
        self.assertEqual(0, self.program.wait(15))

        self.assertEqual({"VRKNPath": ("REG_SZ", STORED_FOLDER)},
                         self.session.reg_values(SETTINGS_KEY))


class EmptyStoredFolderTests(shellview.SplashTestCase):

    def test_an_empty_stored_folder_counts_as_not_installed(self):
        self.session.reg_add(SETTINGS_KEY, "VRKNPath", "REG_SZ", "")
        program, window = self.start_setup()
        self.expect_window()

        self.session.key(window, "Right")

        self.expect_window(highlight=SPOT_INSTALL)
        self.assertTrue(program.running())


if __name__ == "__main__":
    kestwine.main()
