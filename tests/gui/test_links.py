"""Links that cannot be opened say so, and the mouse still closes what they open."""

import os
import unittest

from gui_session import CAPTION, GuiTestCase, wait_for, write_executable

INTRODUCTION = "Unable to open hyperlink:\n\n"
NO_APPLICATION = "There is no application associated\nwith the given filename extension."
NO_FILE = "The specified file was not found."


class Links(GuiTestCase):

    def close_message_with_the_mouse(self, number, others=()):
        session = self.session
        box = wait_for(lambda: next((w for w in session.windows_named(CAPTION)
                                     if w != session.main and w not in others), None),
                       "the message box")
        button = session.logged("reelwright.messagebox")[number - 1]["buttons"][0]
        self.assertEqual(button["text"].replace("&", ""), "OK")
        x, y, w, h = button["rect"]
        session.click_at(box, x + w // 2, y + h // 2)
        session.wait_until_gone(box, "the message box after a click on OK")

    def open_about_box(self):
        session = self.session
        session.click(1012)
        about = session.new_window([session.main], "the About box")
        layout = wait_for(lambda: session.logged("reelwright.layout", window="about"),
                          "the About box's layout")[-1]
        return about, {c["id"]: c["rect"] for c in layout["controls"]}

    def test_links_nothing_can_open_say_why_and_the_mouse_closes_the_message(self):
        session = self.session
        # The window's label holds a host name, which no program on this desktop takes
        # for a file; the About box's link is a web address, and there is no browser.
        session.click(1019)
        self.assertEqual(session.wait_for_message(1),
                         (INTRODUCTION + NO_FILE, "exclamation", CAPTION))
        self.close_message_with_the_mouse(1)
        about, controls = self.open_about_box()
        x, y, w, h = controls[1016]
        session.click_at(about, x + 3, y + h // 2)
        self.assertEqual(session.wait_for_message(2),
                         (INTRODUCTION + NO_APPLICATION, "exclamation", CAPTION))
        self.close_message_with_the_mouse(2, others=[about])
        x, y, w, h = controls[1]
        session.click_at(about, x + w // 2, y + h // 2)
        session.wait_until_gone(about, "the About box after a click on OK")

    def test_a_link_the_desktop_opens_goes_to_its_browser_without_a_message(self):
        session = self.session
        record = os.path.join(self.scratch, "opened.txt")
        browser = os.path.join(self.scratch, "browser")
        write_executable(browser, "#!/bin/sh\necho \"$1\" > '%s'\n" % record)
        applications = os.path.join(self.scratch, "share", "applications")
        with open(os.path.join(applications, "fake-browser.desktop"), "w") as entry:
            entry.write("[Desktop Entry]\nType=Application\nName=Fake browser\n"
                        "Exec=%s %%u\nMimeType=x-scheme-handler/http;\n" % browser)
        with open(os.path.join(self.scratch, "config", "mimeapps.list"), "w") as defaults:
            defaults.write("[Default Applications]\nx-scheme-handler/http=fake-browser.desktop\n")
        about, controls = self.open_about_box()
        x, y, w, h = controls[1016]
        session.click_at(about, x + 3, y + h // 2)
        opened = wait_for(lambda: os.path.exists(record) and open(record).read(),
                          "the browser to be started")
        self.assertEqual(opened, "http://www.reelwright.example/\n")
        session.focus(about)
        session.keys("Escape")
        session.wait_until_gone(about, "the About box")
        session.click(1009)  # the first message is the empty list's, no link's
        self.assertEqual(session.wait_for_message(1)[0],
                         "Please select files.There are'n files in list")


if __name__ == "__main__":
    unittest.main()
