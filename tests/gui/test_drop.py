"""Picture files and folders dragged from another program onto the list."""

import os
import subprocess
import unittest

from gui_session import DRAG_SOURCE, GuiTestCase, wait_for


class DragAndDrop(GuiTestCase):

    def drag_onto_the_list(self, paths):
        """Drags `paths` from a small source window and drops them on the list."""
        session, desktop = self.session, self.desktop
        source = subprocess.Popen([DRAG_SOURCE] + paths, env=session.env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(source.wait)
        self.addCleanup(source.terminate)
        window = wait_for(lambda: desktop.xdotool("search", "--onlyvisible", "--name",
                                                  "^drag source$", check=False).split(),
                          "the drag source")[0]
        session.settle(int(window))
        desktop.xdotool("mousemove", "--window", window, 80, 60)
        desktop.xdotool("mousedown", 1)
        left, top = session.origin(session.main)
        x, y = session.row_point(3)
        for step in range(1, 11):  # a drag is a path, not a jump
            desktop.xdotool("mousemove", left + x * step // 10 + 900 * (10 - step) // 10,
                            top + y * step // 10 + 700 * (10 - step) // 10)
            desktop.xdotool("sleep", "0.05")
        desktop.xdotool("mousemove", left + x, top + y)
        desktop.xdotool("sleep", "0.2")
        desktop.xdotool("mouseup", 1)

    def test_dropped_files_and_folders_are_added(self):
        if not DRAG_SOURCE:
            self.skipTest("no drag source program")
        session = self.session
        red = self.picture("red.png", "-size", "40x30", "xc:red")
        notes = os.path.join(self.scratch, "notes.txt")
        with open(notes, "w") as file:
            file.write("no picture\n")
        folder = os.path.join(self.scratch, "blues")
        os.makedirs(folder)
        for name in ("b1.png", "b2.png"):
            self.picture(os.path.join("blues", name), "-size", "40x30", "xc:blue")
        before = session.crop(1013)
        self.drag_onto_the_list([red, notes, folder])
        # Three rows: red, then the folder's two blue pictures; the text file is no picture.
        wait_for(lambda: session.crop(1013) != before, "the picture count to change")
        for row, colour in ((0, (255, 0, 0)), (2, (0, 0, 255))):
            session.show_row(row, colour)
        session.click_row(2)
        session.click(1007)
        self.assertEqual(session.wait_for_message(1)[0], "It's the last row!")


if __name__ == "__main__":
    unittest.main()
