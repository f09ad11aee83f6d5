"""Driving the installer's Un-Install command, PLAY and the captions after
an install, as a person does, and what removal leaves behind.

    import removeview

    class MyTests(removeview.RemovalTestCase):
        def test_something(self):
            run = self.install()                 # through the folder dialog
            question = self.start_removal()      # hover, click Un-Install
            self.answer(question, "Yes")         # a click on Yes
            self.expect_removed_message()

The installing itself is installview's; this module adds the question box,
the buttons of message boxes clicked with the mouse, and pictures of the
captions that tell the installed state from the not-installed one.
"""

import os

import installview
import kestwine
import shellview
from shellview import SPOT_CONFIGURE, SPOT_EXIT, SPOT_INSTALL, SPOT_PLAY

QUESTION_TEXT = "Remove Rarivur Ivad Oraz from computer?"
REMOVED_TEXT = "   Demo removed.   \n\n"
UNABLE_TO_LOAD_TEXT = "Unable to load kestdemo.exe"
NOT_FORGOTTEN_TEXT = ("The demo was removed, but its record in the registry could not be\n"
                      "cleared: the next start of this installer may still offer Un-Install.")
NOT_FORGOTTEN_LINE = "unable to clear the install folder in the registry"

DEFAULT_FOLDER = installview.PROPOSED_FOLDER + "\\"
GROUP_FOLDER = "C:\\windows\\Start Menu\\Programs\\Brevald"
SHORTCUT = installview.SHORTCUT
SETTINGS_KEY = shellview.SETTINGS_KEY

GAME_TITLE = "Rarivur Ivad Oraz"


def visible_boxes(session):
    """Driver records of the visible top-level windows titled like the
    installer's message boxes."""
    listing = kestwine.parse_records(session.driver("list").stdout)
    return [record for record in listing
            if record.kind == "window" and record.title == kestwine.MESSAGE_CAPTION
            and record.visible == 1]


def wait_box_closed(session, hwnd, timeout=20):
    """Waits until the message box with this window handle is no longer
    shown (another box of the same caption may be up by then)."""
    kestwine.wait_until(lambda: all(box.hwnd != hwnd for box in visible_boxes(session)),
                        timeout, interval=0.2, what="message box %#x to close" % hwnd)


def next_box(session, previous=None, timeout=20):
    """The next message box of the installer other than the one whose
    window handle is previous, or None when none comes within timeout."""
    def shown():
        box = installview.next_message(session, 1)
        if box is not None and box.window.hwnd != previous:
            return (box,)
        return None
    try:
        return kestwine.wait_until(shown, timeout, interval=0.1, what="a message box")[0]
    except kestwine.HarnessError:
        return None


def click_box_button(session, box, text):
    """Clicks the button of a message box (a kestwine.MessageBox) that shows
    text, with the mouse, and waits for the box to close."""
    _, children = session.dump(kestwine.MESSAGE_CAPTION)
    buttons = [child for child in children
               if child.parent == box.window.hwnd and child["class"].lower() == "button"
               and child.text.replace("&", "") == text]
    if len(buttons) != 1:
        raise kestwine.HarnessError("no single button %r in the box %r" % (text, box.text))
    installview.click_control(session, buttons[0])
    wait_box_closed(session, box.window.hwnd)


class RemovalTestCase(installview.InstallTestCase):
    """A Wine test that installs the demo through the window and then works
    the captions of the installed splash."""

    time_budget = 240

    def splash_record(self):
        window, _ = self.session.dump(shellview.WINDOW_TITLE)
        return window

    def start_setup_installed(self):
        """Starts the installer when the registry says installed and waits
        for the splash with Un-Install; returns (program, X window id). The
        pointer waits in the screen's corner, off the window to come."""
        self.session.mouse_move(0, 0)
        program = self.session.start_installer()
        window = self.session.x_window(shellview.WINDOW_TITLE)
        self.expect_window(installed=True, timeout=20)
        return program, window

    def select(self, spot, installed=True):
        """Selects a caption with the mouse and waits for its highlight. The
        pointer first rests on the picture off the captions (two points, so
        that at least one is a move the window sees), so that the caption
        is lit afresh: one that stayed selected while a box covered it shows
        unlit until the selection moves."""
        for offset in (40, 41):
            self.session.mouse_move(shellview.ORIGIN_X + offset, shellview.ORIGIN_Y + offset)
        self.expect_window(installed=installed)
        self.hover(spot)
        self.expect_window(highlight=spot, installed=installed)

    def start_removal(self, by="mouse"):
        """Selects Un-Install with the mouse and activates it with a click
        or with Enter; returns the question box (a kestwine.MessageBox)."""
        self.select(SPOT_INSTALL)
        if by == "mouse":
            self.session.mouse_click()
        else:
            self.session.key(self.session.x_window(shellview.WINDOW_TITLE), "Return")
        box = next_box(self.session)
        self.assertIsNotNone(box, "no question after Un-Install")
        return box

    def assert_question(self, box):
        """The question box: the question, Yes and No, no icon, owned by the
        splash."""
        self.assertEqual(QUESTION_TEXT, box.text)
        self.assertEqual(["Yes", "No"], box.button_texts)
        self.assertEqual(0, box.icon)
        self.assertEqual(self.splash_record().hwnd, box.window.owner)

    def answer(self, box, button):
        click_box_button(self.session, box, button)
        return box

    def expect_removed_message(self, question):
        """The box that reports the removal: its text, one OK button, no
        icon. Pressed with the mouse."""
        box = next_box(self.session, previous=question.window.hwnd)
        self.assertIsNotNone(box, "no message after the removal")
        self.assertEqual(REMOVED_TEXT, box.text)
        self.assertEqual(["OK"], box.button_texts)
        self.assertEqual(0, box.icon)
        click_box_button(self.session, box, "OK")

    def expect_no_message(self, installed=True):
        """The command ended without a box: the splash takes a mouse move
        again (the caption lights up; a box would keep the splash disabled,
        and a command still running would hold the move back), and no box
        of the installer is up."""
        self.select(SPOT_INSTALL, installed=installed)
        boxes = visible_boxes(self.session)
        self.assertEqual([], boxes, "unexpected message box")

    def assert_captions_not_installed(self):
        """The second caption reads Install again and PLAY and Configure are
        passed over: from Install, Right lands on Exit, Left comes back to
        Install and a second Left wraps round to Exit."""
        window = self.session.x_window(shellview.WINDOW_TITLE)
        self.select(SPOT_INSTALL, installed=False)
        self.session.key(window, "Right")
        self.expect_window(highlight=SPOT_EXIT)
        self.session.key(window, "Left")
        self.expect_window(highlight=SPOT_INSTALL)
        self.session.key(window, "Left")
        self.expect_window(highlight=SPOT_EXIT)

    def assert_captions_installed(self):
        """The second caption reads Un-Install and Configure and PLAY take
        part in the selection."""
        window = self.session.x_window(shellview.WINDOW_TITLE)
        self.select(SPOT_INSTALL)
        self.session.key(window, "Right")
        self.expect_window(highlight=SPOT_CONFIGURE, installed=True)
        self.session.key(window, "Left", "Left")
        self.expect_window(highlight=SPOT_PLAY, installed=True)

    def exit_installer(self, program):
        self.session.key(self.session.x_window(shellview.WINDOW_TITLE), "Escape")
        self.assertEqual(0, program.wait(15))

    # -- what is left on disk ------------------------------------------------

    def exists(self, windows_path):
        return os.path.exists(self.session.host_path(windows_path))

    def listing(self, folder):
        """Names of everything directly inside a folder on C:, sorted."""
        return sorted(os.listdir(self.host_folder(folder)))

    def set_read_only(self, windows_path):
        """Marks a file read-only as Windows does (attrib +r)."""
        self.session.wine_checked("attrib", "+r", windows_path)
