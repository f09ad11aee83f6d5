"""The System Options dialog behind the Configure caption, worked as a person
works it: the mouse on the boxes and buttons, or the keyboard alone (Tab,
Space, Enter, Escape). The demo counts as installed because the registry
says so ("VRKNPath" set before the start); the folder need not exist.

What is checked is what the person and the next program see: the boxes'
states as the dialog shows them, the registry values after "Okay", and the
boxes of the next opening, which show the switches the installer now holds.
A switch counts as on only when it is exactly 1, and "Okay" writes 1 or 0
for the three boxes and every other value back as it was. A registry that
refuses the save is told in a box the dialog owns, and logged."""

import installview
import kestwine
import shellview
from shellview import SETTINGS_KEY, SPOT_CONFIGURE, SPOT_PLAY

DIALOG_TITLE = "Brevald Game Configuration"
SAVE_REFUSED_TEXT = "The options could not be saved in the registry."
SAVE_REFUSED_LINE = "unable to save the options in the registry"
STORED_FOLDER = "C:\\Games\\Demo\\"

# The boxes by control id, in the order of the page, and the value each shows.
BOX_DIRECTSOUND, BOX_DIRECTX, BOX_WINDIRECT = 201, 202, 203
BOX_VALUES = {BOX_DIRECTSOUND: "DirectSound", BOX_DIRECTX: "DirectX", BOX_WINDIRECT: "WinDirect"}
ID_OKAY, ID_CANCEL, ID_TAB = 1, 2, 500

# Styles the boxes and the page must carry for the dialog manager to treat
# them as automatic check boxes that Tab can reach.
BS_TYPE_MASK = 0x0F
BS_AUTOCHECKBOX = 0x03
WS_TABSTOP = 0x00010000
WS_CHILD = 0x40000000


def dword(value):
    return ("REG_DWORD", value)


class OptionsTestCase(shellview.SplashTestCase):
    """Starts the installer with the given values in the settings key (the
    install folder always among them) and offers the dialog's handling."""

    def start_with(self, **switches):
        self.session.reg_add(SETTINGS_KEY, "VRKNPath", "REG_SZ", STORED_FOLDER)
        for name, value in switches.items():
            self.session.reg_add(SETTINGS_KEY, name, "REG_DWORD", value)
        self.stored = self.session.reg_values(SETTINGS_KEY)
        self.program, self.window = self.start_setup()
        self.expect_window(installed=True)

    def open_by_mouse(self):
        """Clicks Configure and waits for the dialog; returns its X id. The
        pointer passes over PLAY first: a caption that stayed selected while
        a dialog covered it is shown unlit, and lights up only when the
        selection moves to it again."""
        self.hover(SPOT_PLAY)
        self.expect_window(highlight=SPOT_PLAY, installed=True)
        self.hover(SPOT_CONFIGURE)
        self.expect_window(highlight=SPOT_CONFIGURE, installed=True)
        self.session.mouse_click()
        return self.session.x_window(DIALOG_TITLE)

    def open_by_keys(self, again=False):
        """Selects Configure with the arrow keys and presses Enter: from
        nothing selected PLAY, Un-Install, Configure; again, when a dialog
        opened by keys has closed and the pointer stayed outside the window,
        Configure is still selected but unlit, and Right, Left lights it."""
        moves = ("Right", "Left") if again else ("Right", "Right", "Right")
        self.session.key(self.window, *moves)
        self.expect_window(highlight=SPOT_CONFIGURE, installed=True)
        self.session.key(self.window, "Return")
        return self.session.x_window(DIALOG_TITLE)

    def controls(self):
        """(dialog record, {id: child record}) of the open dialog, the page's
        controls among the children."""
        dialog, children = self.session.dump(DIALOG_TITLE)
        return dialog, {child.id: child for child in children}

    def box_states(self):
        """{value name: 1 checked, 0 unchecked} as the dialog shows them."""
        _, children = self.controls()
        return {name: children[box].check for box, name in BOX_VALUES.items()}

    def expect_boxes(self, expected, timeout=10):
        """Waits until the dialog shows the boxes so (after a click or a key,
        which the dialog handles in its own time), then checks it."""
        seen = {}

        def shown():
            seen.update(self.box_states())
            return seen == expected
        try:
            kestwine.wait_until(shown, timeout, interval=0.2, what="the boxes %s" % expected)
        except kestwine.HarnessError:
            pass
        self.assertEqual(expected, seen)

    def click_control(self, control_id):
        """Moves the pointer onto a control of the dialog and clicks it."""
        _, children = self.controls()
        left, top, right, bottom = children[control_id].rect
        self.session.mouse_move((left + right) // 2, (top + bottom) // 2)
        self.session.mouse_click()

    def expect_closed(self):
        self.session.wait_window_gone(DIALOG_TITLE)

    def expect_stored(self, **changes):
        """The settings key holds what was stored before the start, with
        these values changed (each a (type, data) pair)."""
        expected = dict(self.stored, **changes)
        self.assertEqual(expected, self.session.reg_values(SETTINGS_KEY))

    def exit_installer(self):
        self.session.key(self.window, "Escape")
        self.assertEqual(0, self.program.wait(15))


class DialogTests(OptionsTestCase):

    def test_dialog_holds_the_page_with_three_automatic_boxes(self):
        self.start_with()
        self.open_by_mouse()

        dialog, children = self.controls()

        self.assertEqual("#32770", dialog["class"])
        self.assertEqual(1, dialog.visible)
        self.assertEqual("Okay", children[ID_OKAY].text)
        self.assertEqual("Cancel", children[ID_CANCEL].text)
        self.assertEqual("SysTabControl32", children[ID_TAB]["class"])
        tabs = self.session.driver("tabs", DIALOG_TITLE, str(ID_TAB))
        self.assertEqual(1, tabs.first("tabs").count)
        self.assertEqual(["System Options"], [tab.text for tab in tabs.all("tab")])
        for box, name in BOX_VALUES.items():
            with self.subTest(box=box):
                record = children[box]
                self.assertEqual(name, record.text)
                self.assertEqual(2, record.depth)
                self.assertEqual(BS_AUTOCHECKBOX, record.style & BS_TYPE_MASK)
                self.assertTrue(record.style & WS_TABSTOP)
        # The page is a child dialog of the dialog itself, not of the tab
        # control, and lies inside the tab control.
        page = [child for child in children.values()
                if child.depth == 1 and child["class"] == "#32770"]
        self.assertEqual(1, len(page))
        self.assertEqual(dialog.hwnd, page[0].parent)
        self.assertTrue(page[0].style & WS_CHILD)
        self.assertEqual(page[0].hwnd, children[BOX_DIRECTSOUND].parent)
        tab_left, tab_top, tab_right, tab_bottom = children[ID_TAB].rect
        left, top, right, bottom = page[0].rect
        self.assertTrue(tab_left < left and tab_top < top and right < tab_right and
                        bottom < tab_bottom, "page %s outside tab %s" %
                        (page[0].rect, children[ID_TAB].rect))
        # The main window waits, disabled, while the dialog is up.
        main, _ = self.session.dump(shellview.WINDOW_TITLE)
        self.assertEqual(0, main.enabled)
        self.assertEqual(main.hwnd, dialog.owner)

    def test_okay_unchanged_on_fresh_switches_writes_all_five_values(self):
        # Only the folder is stored: the switches keep their first values,
        # 1, 1, 1 and 0, and the first save writes them all.
        self.start_with()
        self.open_by_mouse()
        self.assertEqual({"DirectSound": 1, "DirectX": 1, "WinDirect": 1}, self.box_states())

        self.click_control(ID_OKAY)
        self.expect_closed()

        self.expect_stored(DirectSound=dword(1), DirectX=dword(1), WinDirect=dword(1),
                           Debug=dword(0))
        self.exit_installer()

    def test_only_a_value_of_exactly_one_checks_its_box(self):
        self.start_with(DirectSound=2, DirectX=1, WinDirect=0, Debug=5)
        self.open_by_mouse()

        self.assertEqual({"DirectSound": 0, "DirectX": 1, "WinDirect": 0}, self.box_states())

        # Okay as shown: the 2 is written as 0, the others and Debug stay.
        self.click_control(ID_OKAY)
        self.expect_closed()
        self.expect_stored(DirectSound=dword(0))
        self.exit_installer()

    def test_a_box_checked_by_the_user_stores_one_over_a_value_of_two(self):
        self.start_with(DirectSound=1, DirectX=1, WinDirect=2, Debug=5)
        self.open_by_mouse()

        self.click_control(BOX_WINDIRECT)
        self.expect_boxes({"DirectSound": 1, "DirectX": 1, "WinDirect": 1})
        self.click_control(ID_OKAY)
        self.expect_closed()

        self.expect_stored(WinDirect=dword(1))
        self.exit_installer()

    def test_unchecking_directx_stores_zero_keeps_the_rest_and_shows_next_time(self):
        self.start_with(DirectSound=1, DirectX=1, WinDirect=1, Debug=5)
        self.open_by_mouse()

        self.click_control(BOX_DIRECTX)
        self.click_control(ID_OKAY)
        self.expect_closed()

        self.expect_stored(DirectX=dword(0))
        self.assertEqual(dword(5), self.session.reg_query(SETTINGS_KEY, "Debug"))
        # The installer holds the new state: the next opening shows it.
        self.open_by_mouse()
        self.assertEqual({"DirectSound": 1, "DirectX": 0, "WinDirect": 1}, self.box_states())
        self.click_control(ID_CANCEL)
        self.expect_closed()
        self.exit_installer()
        self.expect_stored(DirectX=dword(0))

    def test_cancel_and_escape_keep_memory_and_registry_as_they_were(self):
        self.start_with(DirectSound=1, DirectX=0, WinDirect=1, Debug=5)
        shown = {"DirectSound": 1, "DirectX": 0, "WinDirect": 1}

        for closing in ("Cancel", "Escape"):
            with self.subTest(closing=closing):
                dialog = self.open_by_mouse()
                self.assertEqual(shown, self.box_states())
                for box in BOX_VALUES:
                    self.click_control(box)
                self.expect_boxes({"DirectSound": 0, "DirectX": 1, "WinDirect": 0})
                if closing == "Cancel":
                    self.click_control(ID_CANCEL)
                else:
                    self.session.key(dialog, "Escape")
                self.expect_closed()
                self.expect_stored()

        # Nothing of the changed boxes reached the installer's switches: the
        # next opening shows the old states, and Okay writes them unchanged.
        self.open_by_mouse()
        self.assertEqual(shown, self.box_states())
        self.click_control(ID_OKAY)
        self.expect_closed()
        self.expect_stored()
        self.exit_installer()

    def test_okay_that_the_registry_refuses_is_told_and_logged(self):
        self.start_with()
        installview.refuse_settings_record(self.session)
        self.open_by_mouse()
        dialog, _ = self.controls()

        self.click_control(ID_OKAY)

        box = self.session.message_box()
        self.assertEqual(SAVE_REFUSED_TEXT, box.text)
        self.assertEqual(["OK"], box.button_texts)
        self.assertEqual(dialog.hwnd, box.window.owner)
        self.session.message_box(press="OK")
        self.expect_closed()
        self.assertEqual((SAVE_REFUSED_LINE + "\r\n").encode(), self.session.read_log())
        self.assertIsNone(self.session.reg_values(SETTINGS_KEY))
        self.exit_installer()


class KeyboardTests(OptionsTestCase):
    """The dialog from the keyboard alone: the first box starts with the
    focus, Tab leads through the boxes to Okay and Cancel, Space works the
    control that has the focus, Enter is Okay and Escape is Cancel."""

    def test_space_works_the_first_box_tab_the_next_and_enter_confirms(self):
        self.start_with(DirectSound=1, DirectX=1, WinDirect=1, Debug=5)
        dialog = self.open_by_keys()

        self.session.key(dialog, "space")
        self.expect_boxes({"DirectSound": 0, "DirectX": 1, "WinDirect": 1})
        self.session.key(dialog, "Tab", "space")
        self.expect_boxes({"DirectSound": 0, "DirectX": 0, "WinDirect": 1})
        self.session.key(dialog, "Tab", "space")
        self.expect_boxes({"DirectSound": 0, "DirectX": 0, "WinDirect": 0})
        self.session.key(dialog, "Return")
        self.expect_closed()

        self.expect_stored(DirectSound=dword(0), DirectX=dword(0), WinDirect=dword(0))
        self.exit_installer()

    def test_tab_from_the_last_box_reaches_okay_then_cancel(self):
        self.start_with(DirectSound=1, DirectX=1, WinDirect=1)

        # Three Tabs from the first box: Okay, which Space presses.
        dialog = self.open_by_keys()
        self.session.key(dialog, "space", "Tab", "Tab", "Tab", "space")
        self.expect_closed()
        self.expect_stored(DirectSound=dword(0), Debug=dword(0))
        self.stored = self.session.reg_values(SETTINGS_KEY)

        # Four Tabs: Cancel; the changed box is not kept.
        dialog = self.open_by_keys(again=True)
        self.assertEqual({"DirectSound": 0, "DirectX": 1, "WinDirect": 1}, self.box_states())
        self.session.key(dialog, "Tab", "space", "Tab", "Tab", "Tab", "space")
        self.expect_closed()
        self.expect_stored()

        # Five Tabs come round to the first box again.
        dialog = self.open_by_keys(again=True)
        self.session.key(dialog, "Tab", "Tab", "Tab", "Tab", "Tab", "space")
        self.expect_boxes({"DirectSound": 1, "DirectX": 1, "WinDirect": 1})
        self.session.key(dialog, "Escape")
        self.expect_closed()
        self.expect_stored()
        self.exit_installer()

    def test_shift_tab_from_the_first_box_reaches_cancel(self):
        self.start_with(DirectSound=1, DirectX=1, WinDirect=1)
        dialog = self.open_by_keys()

        self.session.key(dialog, "space", "shift+Tab", "space")

        self.expect_closed()
        self.expect_stored()
        self.exit_installer()


if __name__ == "__main__":
    kestwine.main()
