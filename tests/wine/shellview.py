"""What the installer's splash window should look like, and where its parts
are on the test screen: the pictures come from the built KestSetup.exe
itself (its FRONT, BACK, REMOVE and REMOVEHL bitmaps), the places from the
window's fixed size and the caption rectangles."""

import kestwine

WINDOW_TITLE = "KestDemo"
WINDOW_CLASS = "BrevaldSetup"
SPLASH_WIDTH = 400
SPLASH_HEIGHT = 280

# Centred on the screen, as the installer places it.
ORIGIN_X = (kestwine.SCREEN_WIDTH - SPLASH_WIDTH) // 2
ORIGIN_Y = (kestwine.SCREEN_HEIGHT - SPLASH_HEIGHT) // 2

# The captions, top to bottom, each 120 by 26 client pixels.
SPOT_PLAY, SPOT_INSTALL, SPOT_CONFIGURE, SPOT_EXIT = range(4)
SPOT_LEFT = 174
SPOT_TOP = 158
SPOT_WIDTH = 120
SPOT_HEIGHT = 26

SETTINGS_KEY = r"HKLM\SOFTWARE\Brevald\Settings"


def spot_top(spot):
    return SPOT_TOP + SPOT_HEIGHT * spot


def spot_center_on_screen(spot):
    """Screen position of the middle of a caption."""
    return (ORIGIN_X + SPOT_LEFT + SPOT_WIDTH // 2,
            ORIGIN_Y + spot_top(spot) + SPOT_HEIGHT // 2)


class SplashPictures:
    """The bitmaps the installer carries, and the window composed from them."""

    def __init__(self, exe):
        self.front = kestwine.resource_bitmap(exe, "FRONT")
        self.back = kestwine.resource_bitmap(exe, "BACK")
        self.remove = kestwine.resource_bitmap(exe, "REMOVE")
        self.remove_highlight = kestwine.resource_bitmap(exe, "REMOVEHL")

    def window(self, highlight=None, installed=False):
        """The whole client area: FRONT; with installed, REMOVE over the
        second caption; with highlight, that caption's highlight (its band of
        BACK, or REMOVEHL for the second caption when installed)."""
        picture = self.front
        if installed:
            picture = picture.paste(self.remove, SPOT_LEFT, spot_top(SPOT_INSTALL))
        if highlight is not None:
            if installed and highlight == SPOT_INSTALL:
                band = self.remove_highlight
            else:
                band = self.back.crop(0, SPOT_HEIGHT * highlight, SPOT_WIDTH, SPOT_HEIGHT)
            picture = picture.paste(band, SPOT_LEFT, spot_top(highlight))
        return picture


class SplashTestCase(kestwine.WineTestCase):
    """A Wine test of the installer's splash window."""

    @classmethod
    def setUpClass(cls):
        cls.pictures = SplashPictures(kestwine.PATHS.installer)

    def start_setup(self):
        """Starts the installer and waits for its window to be shown and
        painted (as not installed or as installed, with nothing lit), so
        that it takes keys and the mouse; returns (program, X window id)."""
        program = self.session.start_installer()
        window = self.session.x_window(WINDOW_TITLE, timeout=45, program=program)
        self.session.wait_for_picture([self.pictures.window(), self.pictures.window(installed=True)],
                                      ORIGIN_X, ORIGIN_Y, timeout=20)
        return program, window

    def expect_window(self, highlight=None, installed=False, timeout=10):
        """Waits until the splash shows exactly the composed picture."""
        self.session.wait_for_picture(self.pictures.window(highlight, installed),
                                      ORIGIN_X, ORIGIN_Y, timeout=timeout)

    def expect_window_stays(self, highlight=None, installed=False, seconds=1.5):
        self.session.assert_picture_stays(self.pictures.window(highlight, installed),
                                          ORIGIN_X, ORIGIN_Y, seconds)

    def hover(self, spot):
        self.session.mouse_move(*spot_center_on_screen(spot))
