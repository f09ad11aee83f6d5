"""The display driver in the system directory, met by an install: stand-in
drivers of known versions (built by the Windows tree, each with a version
record of its own) are put there as MGLDIB.DRV before the installer starts.
Versions 3.10 and newer stay, older ones are replaced by the game's and the
log says so; a driver without a version record, or one that cannot be
overwritten, stops the install before anything is recorded. (With no
driver there at all, the game's is copied silently: see the install road
tests.)"""

import os
import subprocess

import installview
import kestwine
from installview import DRIVER_MEMBER, SYSTEM_DRIVER

FOLDER = "C:\\Games\\Kest\\"
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

    def start_install(self):
        """Starts the installer and confirms FOLDER in the folder dialog;
        returns (program, X id of the splash)."""
        program, window = self.start_setup()
        self.open_folder_dialog(window)
        installview.type_folder(self.session, FOLDER)
        installview.press_okay(self.session)
        return program, window

    def wait_for_log_end(self, line):
        """Waits until the setup log ends with line; returns the log."""
        def ended():
            log = self.session.read_log()
            return log if log is not None and log.endswith(line) else None
        return kestwine.wait_until(ended, installview.INSTALL_TIMEOUT, interval=0.2,
                                   what="the log line %r" % line)

    def assert_stopped_after_unpacking(self, kept_driver, last_line):
        """The install stopped at the driver step: the log ends with the
        extracting lines and last_line, no message follows, every game file
        (the driver too) lies in the folder, the system's driver is
        untouched, and nothing is recorded."""
        log = self.wait_for_log_end(last_line)
        self.assertEqual(installview.extracting_log(FOLDER) + last_line, log)
        self.assertIsNone(installview.next_message(self.session, 3))
        self.assert_holds_game_files(FOLDER, without=())
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

    def test_driver_without_version_record_stops_the_install(self):
        kept = self.place_driver("none")

        self.start_install()

        self.assert_stopped_after_unpacking(kept, NO_VERSION_LINE)

    def test_old_driver_that_cannot_be_overwritten_stops_the_install(self):
        kept = self.place_driver("2.0")
        self.make_unwritable(SYSTEM_DRIVER)

        self.start_install()

        self.assert_stopped_after_unpacking(kept, COPY_FAILED_LINE)


if __name__ == "__main__":
    kestwine.main()
