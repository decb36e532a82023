"""Enter, Escape and the arrow keys in every window the dialog opens."""

import os
import unittest

from gui_session import CAPTION, GuiTestCase, wait_for

EMPTY_PREVIEW = "Please select files.There are'n files in list"


class KeysInTheDialogsWindows(GuiTestCase):

    def test_enter_and_escape_close_message_boxes_and_the_about_box(self):
        session = self.session
        for count, key in enumerate(("Return", "Escape", "KP_Enter"), start=1):
            session.click(1009)  # "Preview" with an empty list
            self.assertEqual(session.wait_for_message(count),
                             (EMPTY_PREVIEW, "exclamation", CAPTION))
            box = session.new_window([session.main], "the message box")
            session.focus(box)
            session.keys(key)
            session.wait_until_gone(box, "the message box after " + key)
        for key in ("Return", "Escape"):
            session.click(1012)  # "About"
            about = session.new_window([session.main], "the About box")
            session.focus(about)
            session.keys(key)
            session.wait_until_gone(about, "the About box after " + key)
        # The main dialog itself still ignores both.
        session.focus(session.main)
        session.keys("Return", "Escape")
        self.assertIn(session.main, session.windows())

    def test_file_dialogs_take_typed_names_with_enter_and_cancel_with_escape(self):
        session = self.session
        red = self.picture("red.png", "-size", "40x30", "xc:red")
        for id in (1002, 1003, 1000):  # Add Image(s), Add folder, Save as Flash
            session.click(id)
            dialog = session.new_window([session.main], "dialog %d" % id)
            session.focus(dialog)
            session.keys("Escape")
            session.wait_until_gone(dialog, "dialog %d after Escape" % id)
        self.add_through_open_dialog([red])
        # The row is there: Move Down on it says it is the last row.
        session.click_row(0)
        session.click(1007)
        self.assertEqual(session.wait_for_message(1), ("It's the last row!", "exclamation", CAPTION))

    def test_escape_closes_the_context_menu(self):
        session = self.session
        red = self.picture("red.png", "-size", "40x30", "xc:red")
        self.add_through_open_dialog([red])
        session.click_row(0, button=3)
        menu = session.new_window([session.main], "the context menu")
        session.keys("Escape")
        session.wait_until_gone(menu, "the context menu after Escape")

    def test_arrow_keys_in_a_file_dialog_leave_the_main_window_alone(self):
        session = self.session
        red = self.picture("red.png", "-size", "40x30", "xc:red")
        blue = self.picture("blue.png", "-size", "40x30", "xc:blue")
        self.add_through_open_dialog([red, blue])  # the second row is selected now
        preview, size = session.steady_crop(1008), session.steady_crop(1014)
        session.click(1002)
        dialog = session.new_window([session.main], "the open dialog")
        session.focus(dialog)
        session.keys("Tab", "Down", "Down", "Up", "Escape")
        session.wait_until_gone(dialog, "the open dialog")
        # Once the main window has repainted where the dialog was, it shows what it
        # showed before.
        wait_for(lambda: session.crop(1008) == preview and session.crop(1014) == size,
                 "the preview and the size field as they were")


if __name__ == "__main__":
    unittest.main()
