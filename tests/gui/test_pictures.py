"""A clicked picture never stops the window: a big photo shows its real size, and a
file that never ends reading (a pipe) does not freeze anything."""

import os
import unittest

from gui_session import GuiTestCase, wait_for

RED, BLUE = (255, 0, 0), (0, 0, 255)


class ClickedPictures(GuiTestCase):

    def test_a_big_photo_shows_its_own_size_and_its_picture(self):
        session = self.session
        photo = self.picture("photo.jpg", "-size", "6000x4000", "xc:red", "-quality", "90")
        same_size = self.picture("same.png", "-size", "6000x4000", "xc:blue")
        small = self.picture("small.png", "-size", "40x30", "xc:red")
        self.add_through_open_dialog([photo, same_size, small])
        # The size field and the frame-width field read the same for the JPEG and the
        # PNG of the same size, and differently for the small picture.
        shown = {}
        for row, colour in ((0, RED), (1, BLUE), (2, RED)):
            session.show_row(row, colour)
            if row == 2:
                wait_for(lambda: session.crop(1014) != shown[1][0], "the small picture's size")
            shown[row] = (session.crop(1014), session.crop(1017))
        self.assertTrue(shown[0] == shown[1], "the JPEG's and the PNG's sizes differ")
        self.assertTrue(shown[0] != shown[2], "the small picture's size is the big ones'")

    def test_a_picture_file_that_never_ends_does_not_freeze_the_window(self):
        session = self.session
        pipe = os.path.join(self.scratch, "stuck.jpg")
        os.mkfifo(pipe)
        red = self.picture("red.png", "-size", "40x30", "xc:red")
        self.add_through_open_dialog([pipe, red])
        session.click_row(0)
        session.show_row(1, RED)


if __name__ == "__main__":
    unittest.main()
