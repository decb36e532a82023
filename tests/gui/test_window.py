"""The program's options and the window's frame."""

import subprocess
import unittest

from gui_session import PROGRAM, GuiTestCase


class TheWindow(GuiTestCase):

    def test_help_and_version_print_and_open_no_window(self):
        for option, start in (("--help", "Usage: reelwright [-h|--help] [-V|--version]\n"),
                              ("--version", "reelwright 1.9\n")):
            try:
                result = subprocess.run([PROGRAM, option], env=self.session.env,
                                        capture_output=True, text=True, timeout=20)
            except subprocess.TimeoutExpired:
                self.fail(PROGRAM + " " + option + " did not end")
            self.assertEqual(result.returncode, 0)
            self.assertTrue(result.stdout.startswith(start), result.stdout)
        self.assertEqual(len(self.session.windows()), 1)

    @unittest.skipUnless(GuiTestCase.WINDOW_MANAGER, "the window manager's frame")
    def test_the_fixed_size_window_cannot_be_maximised(self):
        actions = subprocess.run(
            ["xprop", "-id", str(self.session.main), "_NET_WM_ALLOWED_ACTIONS"],
            env=self.desktop.env, capture_output=True, text=True, check=True).stdout
        self.assertIn("_NET_WM_ACTION_CLOSE", actions)
        self.assertNotIn("MAXIMIZE", actions)
        self.assertNotIn("_NET_WM_ACTION_RESIZE", actions)


if __name__ == "__main__":
    unittest.main()
