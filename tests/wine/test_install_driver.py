"""The display driver in the system directory, met by an install: stand-in
drivers of known versions (built by the Windows tree, each with a version
record of its own) are put there as MGLDIB.DRV before the installer starts.
Versions 3.10 and newer stay, older ones are replaced by the game's and the
log says so; a driver without a version record, or one that cannot be
overwritten, stops the install before anything is recorded: the user is
told why in one message, and the files and folders the install made are
taken back. (With no driver there at all, the game's is copied silently:
see the install road tests.)"""

import os
import subprocess

import installview
import kestwine
from installview import DRIVER_MEMBER, SYSTEM_DRIVER

FOLDER = "C:\\Games\\Kest\\"
DEEP_FOLDER = "C:\\Games\\New\\Deep\\"
UPDATED_LINE = b"updated the MGLDIB.DRV\r\n"
NO_VERSION_LINE = b"No version info available\r\n"
COPY_FAILED_LINE = b"unable to copy the MGLDIB.DRV\r\n"


def stand_in_driver(version, paths=kestwine.PATHS):
    """The bytes of the stand-in driver of this version ("none": without a
    version record)."""
    with open(os.path.join(paths.windows, "drivers", "mgldib-%s.drv" % version), "rb") as f:
        return f.read()


class DriverUpdateTests(installview.InstallTestCase):

    def setUp(self):
        self.bound_file = None
        # Registered before the session's own cleanup, so it runs after
        # every Wine process of the session has ended.
        self.addCleanup(self.unbind)
        super().setUp()

    def unbind(self):
        if self.bound_file is not None:
            if subprocess.run(["umount", self.bound_file], stderr=subprocess.DEVNULL,
                              timeout=30).returncode != 0:
                subprocess.run(["umount", "-l", self.bound_file], timeout=30)
            self.bound_file = None

    def place_driver(self, version):
        """Puts the stand-in driver of this version into the system
        directory; returns its bytes."""
        driver = stand_in_driver(version)
        self.session.write_file(SYSTEM_DRIVER, driver)
        return driver

    def make_unwritable(self, windows_path):
        """Marks the file read-only as a user would (attrib +r). Root writes
        to read-only files all the same, so then the file is also bound
        read-only onto itself."""
        self.session.wine_checked("attrib", "+r", windows_path)
        if os.geteuid() != 0:
            return
        host = self.session.host_path(windows_path)
        bound = subprocess.run(["mount", "--bind", host, host], capture_output=True, text=True,
                               timeout=30)
        if bound.returncode != 0:
            self.skipTest("cannot make the driver unwritable for root: " + bound.stderr.strip())
        self.bound_file = host
        subprocess.run(["mount", "-o", "remount,ro,bind", host], check=True, timeout=30)

    def start_install(self, folder=FOLDER):
        """Starts the installer and confirms folder in the folder dialog."""
        self.confirm_folder(folder)

    def assert_stopped_after_unpacking(self, kept_driver, driver_line, reason, folder,
                                       made_folders, kept_files=None):
        """The install stopped at the driver step: one message gives reason,
        the log holds the extracting lines, driver_line and the undo of every
        file and folder the install made, the folder holds only kept_files
        ({name: bytes}; None: the folder and made_folders are gone), the
        system's driver is untouched, and nothing is recorded."""
        box = installview.next_message(self.session, installview.INSTALL_TIMEOUT)
        self.assertIsNotNone(box, "no message after the driver step")
        self.assertEqual(installview.ABANDONED_TEXT % reason, box.text)
        self.session.message_box(press="OK")
        self.assertIsNone(installview.next_message(self.session, 3))
        kept = kept_files or {}
        created = [folder + name for name in installview.game_members() if name not in kept]
        log = kestwine.wait_until(self.session.read_log, 10, what="the setup log")
        self.assertEqual(installview.extracting_log(folder) + driver_line +
                         installview.undo_log(reason, created, made_folders), log)
        if kept_files is None:
            for path in made_folders:
                self.assertFalse(os.path.exists(self.session.host_path(path)), path)
        else:
            self.assertEqual(kept_files, self.folder_listing(folder))
        self.assertEqual(kept_driver, self.session.read_file(SYSTEM_DRIVER))
        self.assert_not_recorded()
        self.assert_still_offers_install()

    def assert_kept(self, version):
        kept = self.place_driver(version)

        self.install(FOLDER)

        self.assert_installed(FOLDER, driver=kept)

    def assert_replaced(self, version):
        self.place_driver(version)

        self.install(FOLDER)

        self.assert_installed(FOLDER, driver=installview.game_file(DRIVER_MEMBER),
                              log_tail=UPDATED_LINE)

    def test_driver_3_10_stays(self):
        self.assert_kept("3.10")

    def test_driver_3_11_stays(self):
        self.assert_kept("3.11")

    def test_newer_driver_4_0_stays(self):
        self.assert_kept("4.0")

    def test_driver_3_9_is_replaced(self):
        self.assert_replaced("3.9")

    def test_driver_2_0_is_replaced(self):
        self.assert_replaced("2.0")

    def test_driver_without_version_record_undoes_a_new_deep_folder(self):
        kept = self.place_driver("none")
        made = installview.missing_folders(self.session, DEEP_FOLDER)
        self.assertEqual(["C:\\Games", "C:\\Games\\New", "C:\\Games\\New\\Deep"], made)

        self.start_install(DEEP_FOLDER)

        self.assert_stopped_after_unpacking(
            kept, NO_VERSION_LINE,
            installview.UNCHECKED_DRIVER_REASON % "No version info available", DEEP_FOLDER, made)

    def test_old_driver_that_cannot_be_overwritten_stops_the_install(self):
        kept = self.place_driver("2.0")
        self.make_unwritable(SYSTEM_DRIVER)
        made = installview.missing_folders(self.session, FOLDER)

        self.start_install()

        self.assert_stopped_after_unpacking(
            kept, COPY_FAILED_LINE,
            "the display driver could not be copied into the system folder", FOLDER, made)

    def test_older_copy_of_a_member_is_overwritten_not_deleted_by_the_undo(self):
        # A reinstall over an earlier copy of the game's program (and a
        # file of the user's); the driver step then stops the install.
        kept = self.place_driver("none")
        old_game = b"an older kestdemo.exe"
        self.session.write_file(FOLDER + installview.GAME_EXE, old_game)
        self.session.write_file(FOLDER + "notes.txt", b"the user's own")

        self.start_install()

        self.assert_stopped_after_unpacking(
            kept, NO_VERSION_LINE,
            installview.UNCHECKED_DRIVER_REASON % "No version info available", FOLDER, [],
            kept_files={installview.GAME_EXE: installview.game_file(installview.GAME_EXE),
                        "notes.txt": b"the user's own"})


if __name__ == "__main__":
    kestwine.main()
