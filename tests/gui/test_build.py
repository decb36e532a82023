"""A movie made through the dialog's own file dialogs, and a window closed mid-build."""

import json
import os
import shutil
import subprocess
import unittest

from gui_session import GuiTestCase, wait_for, write_executable


def frames_of(movie):
    """(frames, width, height) of a movie as ffprobe reads it back."""
    out = subprocess.run(
        ["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
         "stream=nb_read_frames,width,height", "-of", "json", movie],
        capture_output=True, text=True, timeout=120, check=True).stdout
    stream = json.loads(out)["streams"][0]
    return int(stream["nb_read_frames"]), stream["width"], stream["height"]


class Builds(GuiTestCase):

    def register_viewer(self):
        """A stand-in SWF viewer that notes what it was asked to open."""
        record = os.path.join(self.scratch, "viewed.txt")
        viewer = os.path.join(self.scratch, "viewer")
        write_executable(viewer, "#!/bin/sh\necho \"$1\" > '%s'\n" % record)
        with open(os.path.join(self.scratch, "share", "applications", "viewer.desktop"),
                  "w") as entry:
            entry.write("[Desktop Entry]\nType=Application\nName=Viewer\nExec=%s %%f\n"
                        "MimeType=application/x-shockwave-flash;application/vnd.adobe.flash.movie;\n"
                        % viewer)
        with open(os.path.join(self.scratch, "config", "mimeapps.list"), "w") as defaults:
            defaults.write("[Default Applications]\n"
                           "application/x-shockwave-flash=viewer.desktop\n"
                           "application/vnd.adobe.flash.movie=viewer.desktop\n")
        return record

    def save_as(self, name):
        self.answer_dialog(1000, name, "the save dialog")

    def test_pictures_added_and_saved_through_the_file_dialogs_make_the_movie(self):
        if shutil.which("ffprobe") is None:
            self.skipTest("no ffprobe")
        pictures = [self.picture(name + ".png", "-size", "64x48", "xc:" + name)
                    for name in ("red", "lime", "blue")]
        viewed = self.register_viewer()
        self.add_through_open_dialog(pictures)
        # The save dialog opens where the pictures came from: a bare name is saved there.
        self.save_as("slides")
        movie = os.path.join(self.scratch, "SLIDES.SWF")
        self.assertEqual(wait_for(lambda: os.path.exists(viewed) and open(viewed).read(),
                                  "the movie to be opened"), movie + "\n")
        self.assertEqual(frames_of(movie), (3, 280, 210))

    @unittest.skipUnless(GuiTestCase.WINDOW_MANAGER, "closing needs the window manager")
    def test_closing_the_window_during_a_build_leaves_no_movie(self):
        session = self.session
        folder = os.path.join(self.scratch, "many")
        os.makedirs(folder)
        photo = self.picture("photo.jpg", "-size", "1600x1200", "plasma:", "-quality", "92")
        # 999: the 1000th would bring the limit's message.
        for index in range(999):
            os.link(photo, os.path.join(folder, "p%04d.jpg" % index))
        self.answer_dialog(1003, folder, "the folder dialog")
        before = session.crop(1015)
        self.save_as(os.path.join(self.scratch, "stopped.swf"))
        wait_for(lambda: session.crop(1015) != before, "the progress bar to move")
        session.keys("alt+F4")
        wait_for(lambda: session.process.poll() is not None, "the program to end")
        self.assertEqual(sorted(n for n in os.listdir(self.scratch)
                                if n.upper().endswith(".SWF") or ".part" in n), [])


if __name__ == "__main__":
    unittest.main()
