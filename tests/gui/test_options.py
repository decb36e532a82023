"""The "Movie options" dialog: set with real keys and clicks, remembered after the
program is started again, and used by the next build (ffmpeg reads the frame)."""

import os
import shutil
import subprocess
import unittest

from gui_session import GuiTestCase, Session, wait_for

OPTIONS_BUTTON = 1037
FIT, BACKGROUND = 1101, 1102
SMOOTH, WEB_PAGE, RUFFLE = 1104, 1105, 1106


def frame_pixels(movie, width, height):
    """The movie's first frame as rows of (r, g, b), decoded by ffmpeg."""
    data = subprocess.run(
        ["ffmpeg", "-v", "error", "-i", movie, "-frames:v", "1", "-f", "rawvideo",
         "-pix_fmt", "rgb24", "-"], capture_output=True, timeout=120, check=True).stdout
    assert len(data) == width * height * 3, len(data)
    return [[tuple(data[(row * width + col) * 3:(row * width + col) * 3 + 3])
             for col in range(width)] for row in range(height)]


def near(pixel, colour, tolerance=24):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


class MovieOptions(GuiTestCase):

    def open_options(self):
        """Clicks "Options..."; the dialog's window and its controls by id."""
        session = self.session
        shown = len(session.logged("reelwright.layout", window="options"))
        session.click(OPTIONS_BUTTON)
        dialog = session.new_window([session.main], "the options dialog")
        layout = wait_for(lambda: session.logged("reelwright.layout", window="options")[shown:],
                          "the options dialog's layout")[-1]
        session.focus(dialog)
        return dialog, {c["id"]: c for c in layout["controls"]}

    def click_in(self, dialog, control):
        x, y, w, h = control["rect"]
        self.session.click_at(dialog, x + w // 2, y + h // 2)

    def tick(self, dialog, control):
        """Clicks a check box on its box: a check box takes clicks on its box and text
        only, not on the rest of its row."""
        x, y, w, h = control["rect"]
        self.session.click_at(dialog, x + h // 2, y + h // 2)

    def restart(self):
        self.session.stop()
        self.session = Session(self.desktop, self.scratch)
        self.addCleanup(self.session.stop)

    def test_options_set_with_keys_and_clicks_outlive_a_restart_and_make_the_next_movie(self):
        if shutil.which("ffmpeg") is None:
            self.skipTest("no ffmpeg")
        session = self.session
        dialog, controls = self.open_options()
        self.assertEqual(controls[FIT]["text"], "stretch")
        self.assertEqual(controls[BACKGROUND]["text"], "000000")
        # Fit: the list opens on a click and "contain", the next word, is chosen by key.
        before = session.windows()
        self.click_in(dialog, controls[FIT])
        popup = session.new_window(before, "the list of fits")
        session.keys("Down", "Return")
        session.wait_until_gone(popup, "the list of fits")
        session.focus(dialog)
        # Background: typed over the field's text; Enter is OK.
        self.click_in(dialog, controls[BACKGROUND])
        session.keys("ctrl+a")
        session.type("FF0000")
        session.keys("Return")
        session.wait_until_gone(dialog, "the options dialog")
        settings = os.path.join(self.scratch, "config", "reelwright", "reelwright.conf")
        text = wait_for(lambda: os.path.exists(settings) and open(settings).read(),
                        "the options file")
        self.assertIn("fit=contain\n", text)
        self.assertIn("background=FF0000\n", text)

        self.restart()
        dialog, controls = self.open_options()
        self.assertEqual(controls[FIT]["text"], "contain")
        self.assertEqual(controls[BACKGROUND]["text"], "FF0000")
        self.session.keys("Escape")
        self.session.wait_until_gone(dialog, "the options dialog after Escape")

        # A tall blue picture contained in the 280 x 210 frame stands between red
        # borders.
        tall = self.picture("tall.png", "-size", "100x300", "xc:blue")
        self.add_through_open_dialog([tall])
        self.answer_dialog(1000, "contained", "the save dialog")
        movie = os.path.join(self.scratch, "CONTAINED.SWF")
        wait_for(lambda: os.path.exists(movie), "the movie")
        pixels = frame_pixels(movie, 280, 210)
        self.assertTrue(near(pixels[105][10], (255, 0, 0)), pixels[105][10])
        self.assertTrue(near(pixels[105][270], (255, 0, 0)), pixels[105][270])
        self.assertTrue(near(pixels[105][140], (0, 0, 255)), pixels[105][140])

    def test_smoothing_and_a_web_page_ticked_with_clicks_make_a_version_8_movie_and_its_page(self):
        session = self.session
        dialog, controls = self.open_options()
        self.assertEqual(controls[SMOOTH]["text"], "Smooth pictures when scaled")
        self.assertEqual(controls[WEB_PAGE]["text"], "Also write a web page")
        self.assertEqual(controls[RUFFLE]["text"],
                         "https://unpkg.com/@ruffle-rs/ruffle@0.6.0/ruffle.js")
        self.tick(dialog, controls[SMOOTH])
        self.tick(dialog, controls[WEB_PAGE])
        self.click_in(dialog, controls[RUFFLE])
        session.keys("ctrl+a")
        session.type("/ruffle/ruffle.js")
        session.keys("Return")
        session.wait_until_gone(dialog, "the options dialog")

        picture = self.picture("green.png", "-size", "64x48", "xc:green")
        self.add_through_open_dialog([picture])
        self.answer_dialog(1000, "web", "the save dialog")
        movie = os.path.join(self.scratch, "WEB.SWF")
        page = os.path.join(self.scratch, "WEB.html")
        wait_for(lambda: os.path.exists(page), "the web page")
        with open(movie, "rb") as file:
            header = file.read(26)
        self.assertEqual(header[:4], b"FWS\x08")
        self.assertEqual(header[20:26], bytes([0x44, 0x11, 0, 0, 0, 0]))  # FileAttributes
        with open(page, encoding="utf-8") as file:
            text = file.read()
        self.assertIn('data-movie="WEB.SWF" data-ruffle="/ruffle/ruffle.js"', text)
        self.assertIn("<title>WEB</title>", text)


if __name__ == "__main__":
    unittest.main()
