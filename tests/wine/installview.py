"""Driving the installer's Install command as a person does, and what an
install should leave behind.

The road: the splash's second caption (Right and Enter, or a hover and a
click), the folder dialog "Demo Setup" (type a folder over the proposed one,
Enter or a click on "Okay"), then message boxes until "Install completed."

    import installview

    class MyTests(installview.InstallTestCase):
        def test_something(self):
            run = self.install("C:\\Games\\Kest", by="mouse")
            # run.program, run.window (X id of the splash), run.seconds
            ...

or, from any WineSession, installview.install_through_ui(session, folder).

The expected game files come from the Windows tree, not from the installer:
the archive's member names from gamedata.lzh read here (level-1 headers),
their bytes from game/files.
"""

import os
import sys
import time

import kestwine
import shellview

sys.path.insert(0, os.path.join(kestwine.HERE, "..", "support"))
import lha_headers  # noqa: E402

# The folder dialog (template "FOLDERDLG").
FOLDER_DIALOG_TITLE = "Demo Setup"
DIALOG_CLASS = "#32770"
PROMPT_ID = 300
FOLDER_FIELD_ID = 100
BROWSE_ID = 200
OKAY_ID = 1
CANCEL_ID = 2
FOLDER_FIELD_LIMIT = 260
PROMPT_TEXT = "Enter the folder to install Rarivur Ivad Oraz in."
PROPOSED_FOLDER = "C:\\Program Files\\Brevald\\KestDemo"
BROWSER_PROMPT = "Brevald Game Setup"

# The main window's progress bar and file-name label.
PROGRESS_BAR_ID = 500
STATUS_LABEL_ID = 101

# What the installer says.
COMPLETION_TEXT = "   Install completed.   \n\n"
EMPTY_FOLDER_TEXT = "Please enter the folder to install the game in."
RELATIVE_FOLDER_TEXT = ("Please enter the full path of the folder, beginning with its drive,\n"
                        "for example C:\\Games\\KestDemo.")
LONG_FOLDER_TEXT = ("The folder name is too long.\n"
                    "Please choose a folder name of at most %u characters.")
SPACE_TEXT = ("There is not enough disk space on\nselected drive for installation.\n"
              "needed = %d, avail = %d")
SPACE_LOG_LINE = "Not enough disk space on for installation. needed = %d, avail = %d"
EXTRACTING_LINE = "Extracting %s to %s"
REQUIRED_SPACE = 8500000
UNWRITABLE_FOLDER_TEXT = "The folder %s cannot be written to.\nPlease choose another folder."
UNWRITABLE_FOLDER_LINE = "unable to write into the folder %s"
UNMADE_FOLDER_TEXT = "The folder %s could not be made.\nPlease choose another folder."
UNMADE_FOLDER_LINE = "unable to make the folder %s"
DAMAGED_TEXT = "This installer is damaged: nothing was installed.\nPlease download it again."
DAMAGED_LINE = "the installer is damaged: nothing was installed"
NOT_RECORDED_LINE = "unable to record the installation in the registry"
NOT_RECORDED_REASON = "the installation could not be recorded in the registry"
UNPACK_REASON = "not every file of the game could be written whole"
UNCHECKED_DRIVER_REASON = "the display driver in the system folder could not be checked (%s)"
ABANDONED_TEXT = ("The install did not complete: %s.\n\n"
                  "It was undone: nothing of it is left installed.")
ABANDONED_LINE = "the install did not complete: %s"

# What an install leaves behind.
GAME_EXE = "kestdemo.exe"
DRIVER_MEMBER = "mgldib.drv"
SYSTEM_DRIVER = "C:\\windows\\system32\\MGLDIB.DRV"
GROUP_FILE = "C:\\windows\\SETUP.INI"
SHORTCUT = "C:\\windows\\Start Menu\\Programs\\Brevald\\Rarivur Ivad Oraz.LNK"
SETTINGS_KEY = shellview.SETTINGS_KEY
SWITCHES = {"DirectSound": ("REG_DWORD", 1), "DirectX": ("REG_DWORD", 1),
            "WinDirect": ("REG_DWORD", 1), "Debug": ("REG_DWORD", 0)}

# Keys typed by xdotool, milliseconds apart: fast, yet no key is lost.
TYPING_DELAY_MS = 20

# Longest time the unpacking may take before its message comes.
INSTALL_TIMEOUT = 90


# ---------------------------------------------------------------------------
# The game the installer carries, as the Windows tree built it


def game_archive_path(paths=kestwine.PATHS):
    return os.path.join(paths.windows, "game", "gamedata.lzh")


def game_files_folder(paths=kestwine.PATHS):
    return os.path.join(paths.windows, "game", "files")


def archive_members(path):
    """The member names of a level-1 LHA archive, in archive order."""
    with open(path, "rb") as f:
        data = f.read()
    try:
        return [member.text_name for member in lha_headers.members(data)]
    except ValueError as error:
        raise ValueError("%s: %s" % (path, error)) from None


_members = {}


def game_members(paths=kestwine.PATHS):
    """The names of the game's files in the order the archive holds them."""
    path = game_archive_path(paths)
    key = (path, os.path.getmtime(path))
    if key not in _members:
        _members[key] = archive_members(path)
    return list(_members[key])


def game_file(name, paths=kestwine.PATHS):
    """The bytes of one of the game's files as the build made them."""
    with open(os.path.join(game_files_folder(paths), name), "rb") as f:
        return f.read()


def longest_member_name(paths=kestwine.PATHS):
    return max(len(name) for name in game_members(paths))


def greatest_folder_length(paths=kestwine.PATHS):
    """The longest folder a person may type (without its final backslash):
    the folder, its backslash and the longest member name must fit in a
    260-byte path with its terminator."""
    return 259 - longest_member_name(paths) - 1


def space_needed(cluster_size, paths=kestwine.PATHS):
    """The free space an install asks for on a drive of clusters of
    cluster_size bytes: each game file's size rounded up to whole clusters,
    summed, and never less than REQUIRED_SPACE."""
    total = 0
    for name in game_members(paths):
        size = len(game_file(name, paths))
        total += (size + cluster_size - 1) // cluster_size * cluster_size
    return max(total, REQUIRED_SPACE)


def refuse_settings_record(session):
    """Makes the registry refuse the installer's record from now on: the
    parent key HKLM\\SOFTWARE\\Brevald is made anew (empty) as a volatile key,
    under which no lasting key such as "Settings" can be created."""
    session.driver("volatile", "SOFTWARE\\Brevald")


def extracting_log(folder, paths=kestwine.PATHS):
    """The setup log of an unpacking into folder (ending in a backslash)
    that went without a fault: one line per member, CR LF after each."""
    return "".join((EXTRACTING_LINE % (name, folder + name)) + "\r\n"
                   for name in game_members(paths)).encode("latin-1")


def missing_folders(session, folder):
    """The folders of folder (a path on C:, ending in a backslash) that do
    not exist now, outermost first: those an install there makes."""
    parts = folder.rstrip("\\").split("\\")
    missing = []
    for count in range(2, len(parts) + 1):
        path = "\\".join(parts[:count])
        if not os.path.exists(session.host_path(path)):
            missing.append(path)
    return missing


def undo_log(reason, created_files, created_folders):
    """The log lines of an install taken back: the reason, each created file
    deleted (newest first), each created folder removed (deepest first),
    and the summary."""
    lines = [ABANDONED_LINE % reason]
    lines += ["undo: deleted the file %s" % path for path in reversed(created_files)]
    lines += ["undo: removed the folder %s" % path for path in reversed(created_folders)]
    lines.append("undo: %d files and %d folders of this install removed, 0 left" %
                 (len(created_files), len(created_folders)))
    return "".join(line + "\r\n" for line in lines).encode("latin-1")


# ---------------------------------------------------------------------------
# Driving the installer


class InstallRun:
    """An install driven through the window: the installer's program, the X
    id of its splash, the folder typed (None: the proposal), and the
    seconds from Enter (or the click on "Okay") in the folder dialog to the
    completion box."""

    def __init__(self, program, window, folder, seconds):
        self.program = program
        self.window = window
        self.folder = folder
        self.seconds = seconds


def splash_pictures(exe):
    return shellview.SplashPictures(exe)


def start_setup(session, exe=None):
    """Starts the installer (or another build of it) and waits until its
    splash shows the FRONT picture, so that it takes keys and the mouse;
    returns (program, X window id)."""
    exe = exe or session.paths.installer
    program = session.start(exe)
    # A first start in a fresh prefix can be slow on a loaded machine.
    window = session.x_window(shellview.WINDOW_TITLE, timeout=45, program=program)
    pictures = splash_pictures(exe)
    session.wait_for_picture(pictures.window(), shellview.ORIGIN_X, shellview.ORIGIN_Y,
                             timeout=20)
    return program, window


def choose_install_caption(session, window, by="keyboard", exe=None):
    """Selects the second caption and activates it, as a person does who
    looks at the highlight in between.

    by="keyboard": Right (from no selection, the start's state, it lands on
    Install, PLAY being disabled); when it lands on Exit instead (Install
    was selected already), Left comes back to Install; then Enter.
    by="mouse": the pointer first onto the picture off the captions, then
    over Install, so that the highlight is drawn afresh even where a closed
    dialog has just been painted over it; then a click."""
    pictures = splash_pictures(exe or session.paths.installer)
    install_lit = pictures.window(highlight=shellview.SPOT_INSTALL)
    if by == "keyboard":
        session.key(window, "Right")
        reached = wait_for_one_of(session, {
            shellview.SPOT_INSTALL: install_lit,
            shellview.SPOT_EXIT: pictures.window(highlight=shellview.SPOT_EXIT)})
        if reached == shellview.SPOT_EXIT:
            session.key(window, "Left")
            session.wait_for_picture(install_lit, shellview.ORIGIN_X, shellview.ORIGIN_Y)
        session.key(window, "Return")
    elif by == "mouse":
        session.mouse_move(shellview.ORIGIN_X + 40, shellview.ORIGIN_Y + 40)
        session.mouse_move(*shellview.spot_center_on_screen(shellview.SPOT_INSTALL))
        session.wait_for_picture(install_lit, shellview.ORIGIN_X, shellview.ORIGIN_Y)
        session.mouse_click()
    else:
        raise ValueError("by must be 'keyboard' or 'mouse', not %r" % by)


def open_folder_dialog(session, window, by="keyboard", exe=None):
    """Activates Install on the splash and waits for the folder dialog;
    returns the driver's record of it."""
    choose_install_caption(session, window, by, exe)
    return session.wait_window(FOLDER_DIALOG_TITLE, DIALOG_CLASS)


def folder_dialog(session):
    """(dialog record, {control id: child record}) of the folder dialog."""
    dialog, children = session.dump(FOLDER_DIALOG_TITLE)
    return dialog, {child.id: child for child in children if child.depth == 1}


def folder_field_text(session):
    return folder_dialog(session)[1][FOLDER_FIELD_ID].text


def type_text(session, title, text):
    """Gives the X window of this title the focus and types text into it
    (xdotool type: each character as its key presses)."""
    x_window = session.x_window(title)
    session.run(["xdotool", "windowfocus", str(x_window)], timeout=20, check=True)
    if text:
        seconds = 20 + len(text) * TYPING_DELAY_MS / 1000.0 * 3
        session.run(["xdotool", "type", "--delay", str(TYPING_DELAY_MS), text],
                    timeout=seconds, check=True)


def press_keys(session, title, *keys):
    """Focuses the X window of this title and presses the keys."""
    session.key(session.x_window(title), *keys)


def type_folder(session, folder, replace_all=False):
    """Types folder into the dialog's field. The field holds the proposed
    folder selected whole when the dialog opens, so typing replaces it;
    with replace_all the text there is first selected with End and
    Shift+Home (as after a refused entry). Fails when the field then holds
    anything else than folder (a key lost on the way)."""
    if replace_all:
        keys = ["End", "shift+Home"] + (["BackSpace"] if folder == "" else [])
        press_keys(session, FOLDER_DIALOG_TITLE, *keys)
    type_text(session, FOLDER_DIALOG_TITLE, folder)
    seen = folder_field_text(session)
    if seen != folder[:FOLDER_FIELD_LIMIT]:
        raise kestwine.HarnessError("the folder field holds %r after typing %r" % (seen, folder))


def click_control(session, record):
    """Moves the mouse to the middle of a control (a driver record) and
    clicks there."""
    left, top, right, bottom = record.rect
    session.mouse_move((left + right) // 2, (top + bottom) // 2)
    session.mouse_click()


def press_okay(session, by="keyboard"):
    """Enter in the folder field, or a click on "Okay"."""
    if by == "keyboard":
        press_keys(session, FOLDER_DIALOG_TITLE, "Return")
    else:
        click_control(session, folder_dialog(session)[1][OKAY_ID])


def press_cancel(session, by="keyboard"):
    """Escape, or a click on "Cancel"."""
    if by == "keyboard":
        press_keys(session, FOLDER_DIALOG_TITLE, "Escape")
    else:
        click_control(session, folder_dialog(session)[1][CANCEL_ID])


def next_message(session, timeout):
    """The next message box of the installer (a kestwine.MessageBox), or
    None when none comes within timeout seconds."""
    result = session.driver("msgbox", "--caption", kestwine.MESSAGE_CAPTION,
                            "--timeout", str(int(timeout * 1000)),
                            timeout=timeout + 30, expect=None)
    if result.status == 2:
        return None
    if result.status != 0:
        raise kestwine.HarnessError("wintest msgbox: status %d: %s" %
                                    (result.status, result.stderr.strip()))
    return kestwine.MessageBox(result)


def install_through_ui(session, folder=None, by="keyboard", program=None, window=None,
                       exe=None, timeout=INSTALL_TIMEOUT, already_open=False):
    """Installs the demo as a person does and returns an InstallRun.

    Starts the installer (exe, or KestSetup.exe) unless program and window
    (its X id) are given; activates Install by="keyboard" (Right, Enter) or
    by="mouse" (hover, click), unless already_open says the folder dialog
    is up; types folder over the proposed one (None keeps what the field
    holds); confirms with Enter or a click on "Okay"; waits for the
    completion message and presses its OK. Any other message box first
    fails the install with HarnessError (the box is left up to be seen)."""
    if program is None:
        program, window = start_setup(session, exe)
    if not already_open:
        open_folder_dialog(session, window, by, exe)
    if folder is not None:
        type_folder(session, folder)
    started = time.monotonic()
    press_okay(session, by)
    box = next_message(session, timeout)
    seconds = time.monotonic() - started
    if box is None:
        raise kestwine.HarnessError("no message within %d s of confirming the folder" % timeout)
    if box.text != COMPLETION_TEXT:
        raise kestwine.HarnessError("the install showed %r instead of completing" % box.text)
    session.message_box(press="OK")
    return InstallRun(program, window, folder, seconds)


def messages_until(session, last_text, timeout=INSTALL_TIMEOUT, limit=40):
    """Reads the installer's message boxes one after the other, pressing OK
    on each, up to and with the one that shows last_text; returns their
    texts. Each box may take up to timeout seconds to come."""
    texts = []
    while len(texts) < limit:
        box = next_message(session, timeout)
        if box is None:
            raise kestwine.HarnessError("no message within %d s after %r" %
                                        (timeout, texts[-3:]))
        texts.append(box.text)
        session.message_box(press="OK")
        if box.text == last_text:
            return texts
    raise kestwine.HarnessError("more than %d message boxes: %r" % (limit, texts[-5:]))


def short_path(session, path):
    """The short (8.3) form of an existing path, as the system gives it
    (GetShortPathNameA through the driver); None when it gives none."""
    result = session.driver("shortpath", path, expect=None)
    record = result.first("shortpath")
    return record.path if result.status == 0 and record is not None else None


def read_link(session, path):
    """The driver's record of a shell link file (target, arguments,
    folder), or None when there is no such link."""
    result = session.driver("link", path, expect=None)
    return result.first("link") if result.status == 0 else None


def group_file_text(short_exe, folder):
    """SETUP.INI as the program-group converter is to read it: four lines,
    each ended by CR LF, the item line naming the game by its short path
    and its folder with the final backslash."""
    return ("[progman.groups]\r\n"
            "groupX=Brevald\r\n"
            "[groupX]\r\n"
            "\"Rarivur Ivad Oraz\",\"%s\",,,,\"%s\"\r\n" % (short_exe, folder)).encode("latin-1")


def wait_for_one_of(session, pictures, timeout=10):
    """Waits until the splash shows one of the pictures ({key: Image}, each
    the whole client area) and returns its key; fails after timeout."""
    def shown():
        seen = session.screenshot().crop(shellview.ORIGIN_X, shellview.ORIGIN_Y,
                                         shellview.SPLASH_WIDTH, shellview.SPLASH_HEIGHT)
        for key, picture in pictures.items():
            if seen.difference(picture)[0] == 0:
                return (key,)
        return None
    return kestwine.wait_until(shown, timeout, interval=0.1,
                               what="one of the splash pictures %s" % sorted(pictures))[0]


def main_window_controls(session):
    """{control id: child record} of the splash window's children."""
    _, children = session.dump(shellview.WINDOW_TITLE)
    return {child.id: child for child in children}


# ---------------------------------------------------------------------------
# Test cases


class InstallTestCase(shellview.SplashTestCase):
    """A Wine test that drives the Install command; each test has its own
    prefix. Unpacking takes a few seconds under Wine, so the budget is
    larger than the splash tests'."""

    time_budget = 180

    def start_setup(self, exe=None):
        return start_setup(self.session, exe)

    def confirm_folder(self, folder):
        """Starts the installer, opens the folder dialog from the keyboard,
        types folder and presses Okay; returns (program, X id of the splash,
        the splash's window record)."""
        program, window = self.start_setup()
        splash = self.session.wait_window(shellview.WINDOW_TITLE)
        self.open_folder_dialog(window)
        type_folder(self.session, folder)
        press_okay(self.session)
        return program, window, splash

    def install(self, folder=None, by="keyboard", **options):
        return install_through_ui(self.session, folder, by, **options)

    def open_folder_dialog(self, window, by="keyboard", exe=None):
        return open_folder_dialog(self.session, window, by, exe)

    def host_folder(self, folder):
        """The host path of a folder on drive C: (ending in a backslash or
        not)."""
        return self.session.host_path(folder.rstrip("\\"))

    def folder_listing(self, folder):
        """{file name: bytes} of the files directly inside a folder on C:."""
        path = self.host_folder(folder)
        listing = {}
        for name in os.listdir(path):
            full = os.path.join(path, name)
            if os.path.isfile(full):
                with open(full, "rb") as f:
                    listing[name] = f.read()
        return listing

    def assert_holds_game_files(self, folder, without=(DRIVER_MEMBER,), extra=()):
        """The folder holds exactly the game's files, less those named in
        without, each byte for byte as built, and the names in extra."""
        listing = self.folder_listing(folder)
        expected = [name for name in game_members() if name not in without]
        self.assertEqual(sorted(expected + list(extra)), sorted(listing))
        for name in expected:
            self.assertTrue(listing[name] == game_file(name),
                            "%s differs from the game's file" % name)

    def assert_not_recorded(self):
        """The install was not recorded: no folder value in the registry, no
        program group, no shortcut."""
        values = self.session.reg_values(SETTINGS_KEY) or {}
        self.assertNotIn("VRKNPath", values)
        self.assertIsNone(self.session.read_file(GROUP_FILE))
        self.assertIsNone(self.session.read_file(SHORTCUT))

    def assert_still_offers_install(self):
        """The splash still reads Install and PLAY stays dark: with the mouse
        over Exit, then PLAY, then Install, the highlights are those of a
        demo not installed (each move redraws the captions it touches, so
        what a closed box painted over them no longer matters)."""
        self.hover(shellview.SPOT_EXIT)
        self.expect_window(highlight=shellview.SPOT_EXIT)
        self.hover(shellview.SPOT_PLAY)
        self.expect_window()
        self.hover(shellview.SPOT_INSTALL)
        self.expect_window(highlight=shellview.SPOT_INSTALL)

    def assert_installed(self, folder, driver=None, log_tail=b""):
        """Everything a clean install into folder (ending in a backslash)
        leaves: the game's files less the driver, the driver (or the bytes
        given) in the system directory, a log of one extracting line per
        member followed by log_tail and nothing else, SETUP.INI, the
        shortcut to the game, the registry record, and the progress bar and
        label hidden again."""
        session = self.session
        self.assert_holds_game_files(folder)
        expected_driver = game_file(DRIVER_MEMBER) if driver is None else driver
        self.assertTrue(session.read_file(SYSTEM_DRIVER) == expected_driver,
                        "the system directory's MGLDIB.DRV is not the expected driver")
        self.assertEqual(extracting_log(folder) + log_tail, session.read_log())

        game = folder + GAME_EXE
        short_game = short_path(session, game)
        self.assertIsNotNone(short_game, "no short path for " + game)
        self.assertEqual(group_file_text(short_game, folder), session.read_file(GROUP_FILE))
        link = read_link(session, SHORTCUT)
        self.assertIsNotNone(link, "no shortcut at " + SHORTCUT)
        self.assertEqual(short_game.lower(), (short_path(session, link.target) or "").lower(),
                         "the shortcut starts %r, not the game" % link.target)
        self.assertEqual(folder.rstrip("\\").lower(), link.folder.rstrip("\\").lower())

        expected_values = dict(SWITCHES, VRKNPath=("REG_SZ", folder))
        self.assertEqual(expected_values, session.reg_values(SETTINGS_KEY))

        controls = main_window_controls(session)
        self.assertEqual(0, controls[PROGRESS_BAR_ID].visible)
        self.assertEqual(0, controls[STATUS_LABEL_ID].visible)
