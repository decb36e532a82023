"""The picture list under real clicks: the current row, the messages' exact texts,
long paths, and where the file dialogs open."""

import os
import shutil
import unittest

from gui_session import CAPTION, GuiTestCase, mostly, wait_for

RED, GREEN, BLUE = (255, 0, 0), (0, 255, 0), (0, 0, 255)


class TheListUnderRealInput(GuiTestCase):

    def colour_pictures(self):
        return [self.picture(name + ".png", "-size", "40x30", "xc:" + name)
                for name in ("red", "lime", "blue")]

    def wait_for_preview(self, colour):
        wait_for(lambda: mostly(self.session.crop(1008, inset=4), colour),
                 "the preview to show %s" % (colour,))

    def test_move_acts_on_the_clicked_row_after_preview_and_select_all(self):
        session = self.session
        self.add_through_open_dialog(self.colour_pictures())  # red, lime, blue
        session.set_field(1020, "0")
        session.click(1009)  # Preview: every row ends selected
        self.wait_for_preview(BLUE)
        session.show_row(1, GREEN)  # lime
        session.click(1006)  # Move Up: lime, red, blue
        session.show_row(1, RED)
        session.show_row(0, GREEN)
        # Ctrl+A selects every row; a click on the last one makes it the current row.
        session.keys("ctrl+a")
        session.show_row(2, BLUE)
        session.click(1007)
        self.assertEqual(session.wait_for_message(1), ("It's the last row!", "exclamation", CAPTION))
        self.assertEqual(len(session.messages()), 1)

    def test_messages_say_exactly_what_they_say(self):
        session = self.session
        folder = os.path.join(self.scratch, "many")
        os.makedirs(folder)
        tiny = self.picture("tiny.bmp", "-size", "4x3", "xc:gray")
        for index in range(1001):
            shutil.copy(tiny, os.path.join(folder, "pic%04d.bmp" % index))
        expected = []

        def expect(text, icon="exclamation"):
            expected.append((text, icon, CAPTION))
            message = session.wait_for_message(len(expected))
            self.assertEqual(message, expected[-1])
            box = wait_for(lambda: next((w for w in session.windows_named(CAPTION)
                                         if w != session.main), None), "the message box")
            session.focus(box)
            session.keys("Return")
            session.wait_until_gone(box, "the message box")

        session.click(1009)
        expect("Please select files.There are'n files in list")
        self.answer_dialog(1003, folder, "the folder dialog")
        expect("selected files can't more than 1000!", "none")
        session.click_row(0)
        session.click(1006)
        expect("It's the first row!")
        session.set_field(1017, "wide")
        session.click(1034)  # Exit checks the fields
        expect("Please enter an integer.")
        session.set_field(1017, "280")
        self.answer_dialog(1000, os.path.join(self.scratch, "movie.txt"), "the save dialog")
        expect("Please input Flash filename")
        self.assertFalse(os.path.exists(os.path.join(self.scratch, "movie.txt")))

    def test_long_paths_show_their_whole_text_as_a_tooltip(self):
        session = self.session
        deep = os.path.join(self.scratch, *(["a-rather-long-folder-name"] * 6))
        os.makedirs(deep)
        picture = self.picture("red.png", "-size", "40x30", "xc:red")
        shutil.move(picture, os.path.join(deep, "red.png"))
        self.add_through_open_dialog([os.path.join(deep, "red.png")])
        x, y = session.row_point(0)
        before = session.windows()
        moves = [0]

        def tooltip():
            # The pointer comes to rest on the row now and then; a tooltip shows after
            # it has rested there a little while.
            if moves[0] % 30 == 0:
                session.focus(session.main)  # tooltips show in the active window
                session.desktop.xdotool("mousemove", "--window", session.main,
                                        x + moves[0] // 30 % 5, y)
            moves[0] += 1
            return next((w for w in session.windows() if w not in before), None)

        wait_for(tooltip, "the path's tooltip")

    def test_the_open_dialog_starts_where_the_last_pictures_came_from(self):
        session = self.session
        red, lime, _ = self.colour_pictures()
        self.add_through_open_dialog([red])
        self.answer_dialog(1002, os.path.basename(lime), "the open dialog")  # a name only
        session.show_row(1, GREEN)


if __name__ == "__main__":
    unittest.main()
