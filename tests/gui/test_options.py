"""The "Movie options" dialog: set with real keys and clicks, remembered after the
program is started again, and used by the next build (ffmpeg reads the frame)."""

import os
import shutil
import subprocess
import unittest

from gui_session import CAPTION, GuiTestCase, Session, wait_for

OPTIONS_BUTTON = 1037
FIT, BACKGROUND = 1101, 1102
SECONDS, CROSSFADE, STOP_AT_END = 1104, 1105, 1106
SMOOTH, WEB_PAGE, RUFFLE = 1107, 1108, 1109


def movie_tags(movie):
    """(code, body) of every tag of an uncompressed SWF movie, read here on its own."""
    data = open(movie, "rb").read()
    at = 8 + (5 + 4 * (data[8] >> 3) + 7) // 8 + 4
    tags = []
    while at + 2 <= len(data):
        word = int.from_bytes(data[at:at + 2], "little")
        code, length, at = word >> 6, word & 0x3F, at + 2
        if length == 0x3F:
            length, at = int.from_bytes(data[at:at + 4], "little"), at + 4
        tags.append((code, data[at:at + length]))
        at += length
    return tags


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

    def confirm(self, dialog):
        """Enter, OK: the dialog goes and the options file it wrote is returned."""
        self.session.keys("Return")
        self.session.wait_until_gone(dialog, "the options dialog")
        settings = os.path.join(self.scratch, "config", "reelwright", "reelwright.conf")

        def written():
            if not os.path.exists(settings):
                return None
            with open(settings) as file:
                return file.read()
        return wait_for(written, "the options file")
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
        text = self.confirm(dialog)
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

    def test_timings_typed_and_ticked_are_checked_kept_and_make_a_timed_movie(self):
        session = self.session
        dialog, controls = self.open_options()
        self.assertEqual(controls[SECONDS]["text"], "0")
        self.assertEqual(controls[CROSSFADE]["text"], "0")
        # 0.5 s a picture with a 1 s crossfade: refused at OK, the crossfade selected.
        self.click_in(dialog, controls[SECONDS])
        session.keys("ctrl+a")
        session.type("0.5")
        session.keys("Tab", "ctrl+a")
        session.type("1")
        # A check box takes clicks on its box and caption, at the row's left.
        x, y, _, h = controls[STOP_AT_END]["rect"]
        session.click_at(dialog, x + 6, y + h // 2)
        session.keys("Return")
        self.assertEqual(session.wait_for_message(1),
                         ("The crossfade (1 s) is longer than the seconds per picture (0.5 s).",
                          "exclamation", CAPTION))
        box = session.new_window([session.main, dialog], "the message box")
        session.focus(box)
        session.keys("Return")
        session.wait_until_gone(box, "the message box")
        session.focus(dialog)
        # The crossfade's text is selected: typing replaces it.
        session.type("0.2")
        text = self.confirm(dialog)
        for line in ("seconds=0.5\n", "crossfade=0.2\n", "stop-at-end=true\n"):
            self.assertIn(line, text)

        # Two pictures at 10 fps: 5 frames each, the second fading in over 2 with
        # alphas 128 and 256, the stop on frame 10.
        red = self.picture("red.png", "-size", "40x30", "xc:red")
        blue = self.picture("blue.png", "-size", "40x30", "xc:blue")
        self.add_through_open_dialog([red, blue])
        self.answer_dialog(1000, "timed", "the save dialog")
        movie = os.path.join(self.scratch, "TIMED.SWF")
        wait_for(lambda: os.path.exists(movie), "the movie")
        tags = movie_tags(movie)
        self.assertEqual([code for code, _ in tags].count(1), 10)
        self.assertEqual([code for code, _ in tags].count(28), 1)
        self.assertEqual(tags[-3:], [(12, bytes([7, 0])), (1, b""), (0, b"")])
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
