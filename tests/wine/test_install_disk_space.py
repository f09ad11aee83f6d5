"""A drive with too little room: the install folder is made, the user is
told how much room the game needs and how much the drive has, the log says
the same, and nothing is unpacked or recorded. The room needed is what the
game's files take in whole clusters of the drive (at least 8,500,000
bytes). And a drive that cannot be written, or a folder that cannot be
made: one message, nothing recorded. And a member that cannot be written
into an existing folder: the rest is unpacked, then taken back, and the
folder holds only what it held before.

The drive is a small tmpfs mounted for the test and linked into the prefix
as D:. How much is free is measured here, independently, with statvfs on
the mount. Wine answers GetDiskFreeSpaceA from the host file system's
statfs: clusters of 8 sectors of 512 bytes, the free ones counted as
f_bsize x f_bavail / 4096. On tmpfs f_bsize and f_frsize are the page size
(4096), so the bytes the installer computes (free clusters x bytes per
sector x sectors per cluster) are exactly f_bavail x f_frsize.

A read-only tmpfs stops even root, whom file permissions do not stop.

Mounting needs root (as on CI); without it the tests are skipped."""

import os
import subprocess
import tempfile

import installview
import kestwine
from installview import REQUIRED_SPACE

DRIVE_FOLDER = "D:\\KestDemo"

# Wine's clusters: 8 sectors of 512 bytes.
CLUSTER_SIZE = 4096


class SmallDriveTests(installview.InstallTestCase):

    def setUp(self):
        self.mount_point = None
        # Registered before the session's own cleanup, so it runs after
        # every Wine process of the session has ended.
        self.addCleanup(self.unmount)
        super().setUp()

    def unmount(self):
        if self.mount_point is None:
            return
        if subprocess.run(["umount", self.mount_point], stderr=subprocess.DEVNULL,
                          timeout=30).returncode != 0:
            subprocess.run(["umount", "-l", self.mount_point], timeout=30)
        os.rmdir(self.mount_point)
        self.mount_point = None

    def mount_small_drive(self, size=None, read_only=False):
        """Mounts a tmpfs of size bytes (or read-only, and empty) and makes
        it drive D: of the session's prefix; returns its host path."""
        if os.geteuid() != 0:
            self.skipTest("mounting a small drive (mount -t tmpfs) needs root")
        options = "ro" if read_only else "size=%d" % size
        mount_point = tempfile.mkdtemp(prefix="kest-small-drive-")
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", options, "tmpfs",
                                  mount_point], capture_output=True, text=True, timeout=30)
        if mounted.returncode != 0:
            os.rmdir(mount_point)
            self.skipTest("cannot mount a tmpfs here: " + mounted.stderr.strip())
        self.mount_point = mount_point
        link = os.path.join(self.session.prefix, "dosdevices", "d:")
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(mount_point, link)
        return mount_point

    def free_bytes(self):
        figures = os.statvfs(self.mount_point)
        return figures.f_bavail * figures.f_frsize

    def install_onto_small_drive(self, size=None, read_only=False, folder=DRIVE_FOLDER):
        """Mounts the drive, installs onto it through the window and returns
        (message box, free bytes measured while it is shown, the splash's X
        id, the installer)."""
        self.mount_small_drive(size, read_only)
        program, window, splash = self.confirm_folder(folder)
        box = self.session.message_box(timeout=60)
        free = self.free_bytes()
        self.assertEqual(splash.hwnd, box.window.owner)
        self.session.message_box(press="OK")
        return box, free, window, program

    def assert_refused_for_space(self, box, free):
        needed = installview.space_needed(CLUSTER_SIZE)
        self.assertLess(free, needed)
        self.assertEqual(installview.SPACE_TEXT % (needed, free), box.text)
        self.assertEqual(["OK"], box.button_texts)
        # The line is written once the box has been answered.
        log = kestwine.wait_until(self.session.read_log, 10, what="the setup log")
        self.assertEqual((installview.SPACE_LOG_LINE % (needed, free) + "\r\n").encode(), log)
        # The folder was made, and holds nothing: no member, no probe.
        folder = os.path.join(self.mount_point, "KestDemo")
        self.assertTrue(os.path.isdir(folder))
        self.assertEqual([], os.listdir(folder))
        self.assertIsNone(installview.next_message(self.session, 3))
        self.assert_not_recorded()
        self.assertIsNone(self.session.read_file(installview.SYSTEM_DRIVER))

    def test_four_megabyte_drive_is_refused_and_nothing_is_unpacked(self):
        box, free, window, program = self.install_onto_small_drive(4 * 1024 * 1024)

        self.assert_refused_for_space(box, free)
        self.assert_still_offers_install()
        self.assertTrue(program.running())

    def test_drive_one_cluster_short_of_the_games_need_is_refused(self):
        # More than the 8,500,000 bytes asked at least, less than the game's
        # files take in whole clusters.
        needed = installview.space_needed(CLUSTER_SIZE)
        box, free, window, program = self.install_onto_small_drive(needed - CLUSTER_SIZE)

        self.assertGreater(free, REQUIRED_SPACE)
        self.assert_refused_for_space(box, free)

    def test_existing_folder_on_a_read_only_drive_gets_one_message_and_no_record(self):
        box, free, window, program = self.install_onto_small_drive(read_only=True,
                                                                   folder="D:\\")

        self.assertEqual(installview.UNWRITABLE_FOLDER_TEXT % "D:\\", box.text)
        self.assertEqual(["OK"], box.button_texts)
        self.assertIsNone(installview.next_message(self.session, 3))
        log = kestwine.wait_until(self.session.read_log, 10, what="the setup log")
        self.assertEqual((installview.UNWRITABLE_FOLDER_LINE % "D:\\" + "\r\n").encode(), log)
        self.assertEqual([], os.listdir(self.mount_point))
        self.assert_not_recorded()
        self.assert_still_offers_install()
        self.assertTrue(program.running())


class UnwritableFolderTests(installview.InstallTestCase):

    def test_folder_behind_a_file_gets_one_message_and_no_record(self):
        # A file stands where a parent folder would have to be made.
        blocker = self.session.host_path("C:\\Games")
        with open(blocker, "wb") as f:
            f.write(b"not a folder")
        folder = "C:\\Games\\KestDemo\\"
        program, window, splash = self.confirm_folder(folder)

        box = self.session.message_box(timeout=60)
        self.assertEqual(installview.UNMADE_FOLDER_TEXT % folder, box.text)
        self.assertEqual(splash.hwnd, box.window.owner)
        self.assertEqual(["OK"], box.button_texts)
        self.session.message_box(press="OK")
        self.assertIsNone(installview.next_message(self.session, 3))
        log = kestwine.wait_until(self.session.read_log, 10, what="the setup log")
        self.assertEqual((installview.UNMADE_FOLDER_LINE % folder + "\r\n").encode(), log)
        with open(blocker, "rb") as f:
            self.assertEqual(b"not a folder", f.read())
        self.assert_not_recorded()
        self.assert_still_offers_install()
        self.assertTrue(program.running())

    def test_folder_named_after_a_member_stops_and_the_rest_is_taken_back(self):
        # An existing folder of the user's holds a folder under a member's
        # name, which cannot be opened as a file, and a file of the user's.
        folder = "C:\\Games\\Half\\"
        members = installview.game_members()
        blocked = members[len(members) // 2]
        os.makedirs(os.path.join(self.session.host_path(folder), blocked))
        self.session.write_file(folder + "save.dat", b"the user's own")

        program, window, splash = self.confirm_folder(folder)

        reason = installview.UNPACK_REASON
        texts = installview.messages_until(self.session, installview.ABANDONED_TEXT % reason)
        self.assertEqual(["Can't open %s%s for writing." % (folder, blocked), "Not extracted",
                          installview.ABANDONED_TEXT % reason], texts)
        self.assertIsNone(installview.next_message(self.session, 3))
        host = self.session.host_path(folder)
        self.assertEqual(sorted([blocked, "save.dat"]), sorted(os.listdir(host)))
        self.assertTrue(os.path.isdir(os.path.join(host, blocked)))
        self.assertEqual({"save.dat": b"the user's own"}, self.folder_listing(folder))
        created = [folder + name for name in members if name != blocked]
        log = kestwine.wait_until(self.session.read_log, 10, what="the setup log")
        # No line for the member that was never opened.
        skipped = (installview.EXTRACTING_LINE % (blocked, folder + blocked)).encode()
        extracting = b"".join(line + b"\r\n" for line in
                              installview.extracting_log(folder).split(b"\r\n")[:-1]
                              if line != skipped)
        self.assertEqual(extracting + installview.undo_log(reason, created, []), log)
        self.assert_not_recorded()
        self.assert_still_offers_install()
        self.assertTrue(program.running())


if __name__ == "__main__":
    kestwine.main()
