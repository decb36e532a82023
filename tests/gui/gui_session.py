"""Drives the real reelwright on its own X server, as a user would.

A Desktop is a private Xvfb display (the server picks a free number itself), with
the openbox window manager or bare. A Session starts the program there under a
scratch home: its own XDG folders, a MIME database, and stand-ins for every web
browser xdg-open would try, so nothing outside the scratch folder is opened. The
tests see only what a user sees: windows (xdotool), pixels (ImageMagick's import),
files, and the log the program writes when asked (its message boxes with their
texts, and where its controls stand). Every wait polls with a time limit.
"""

import json
import os
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

PROGRAM = os.environ.get("REELWRIGHT", "reelwright")
DRAG_SOURCE = os.environ.get("REELWRIGHT_DRAG_SOURCE", "")
CAPTION = "Reelwright 1.9 by www.reelwright.example"
WAIT = float(os.environ.get("REELWRIGHT_GUI_WAIT", "20"))

# Everything xdg-open tries when nothing is registered for an address.
BROWSERS = ("x-www-browser firefox iceweasel seamonkey mozilla epiphany konqueror chromium "
            "chromium-browser google-chrome www-browser links2 elinks links lynx w3m "
            "run-mailcap mimeopen gio kde-open kde-open5 gvfs-open exo-open").split()

NEEDED = ("Xvfb", "xdotool", "openbox", "import", "xprop", "xwininfo")


def missing_tools():
    return [tool for tool in NEEDED if shutil.which(tool) is None]


def wait_for(check, what, timeout=WAIT):
    """Polls `check` until it returns something true; fails after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


def run(arguments, env, check=True):
    result = subprocess.run(arguments, env=env, capture_output=True, text=True, timeout=60)
    if check and result.returncode != 0:
        raise AssertionError("%s failed: %s" % (" ".join(arguments), result.stderr))
    return result.stdout


class Desktop:
    """A private X display, with openbox or without a window manager."""

    def __init__(self, window_manager):
        self.processes = []
        read_end, write_end = os.pipe()
        server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        self.processes.append(server)
        with os.fdopen(read_end) as numbers:
            number = numbers.readline().strip()
        if not number:
            self.stop()
            raise AssertionError("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + number)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.window_manager = window_manager
        if window_manager:
            self.processes.append(subprocess.Popen(
                ["openbox", "--sm-disable"], env=self.env,
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            wait_for(lambda: "window id" in run(
                ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], self.env, check=False),
                "openbox")

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self.processes = []

    def xdotool(self, *arguments, check=True):
        return run(["xdotool"] + [str(a) for a in arguments], self.env, check)

    def pixels(self, x, y, width, height):
        """The screen's pixels in a rectangle, as rows of (r, g, b)."""
        data = subprocess.run(
            ["import", "-silent", "-window", "root", "-crop",
             "%dx%d+%d+%d" % (width, height, x, y), "+repage", "-depth", "8", "ppm:-"],
            env=self.env, capture_output=True, timeout=60, check=True).stdout
        # P6 header: magic, width, height, maxval, each ended by white space.
        fields, position = [], 0
        while len(fields) < 4:
            while data[position:position + 1].isspace():
                position += 1
            start = position
            while not data[position:position + 1].isspace():
                position += 1
            fields.append(data[start:position])
        position += 1
        w, h = int(fields[1]), int(fields[2])
        body = data[position:]
        return [[tuple(body[(row * w + col) * 3:(row * w + col) * 3 + 3]) for col in range(w)]
                for row in range(h)]


def write_executable(path, text):
    with open(path, "w") as file:
        file.write(text)
    os.chmod(path, 0o755)


class Session:
    """reelwright on a desktop, under a scratch home."""

    def __init__(self, desktop, scratch, arguments=()):
        self.desktop = desktop
        self.scratch = scratch
        home = os.path.join(scratch, "home")
        stubs = os.path.join(scratch, "stubs")
        share = os.path.join(scratch, "share")
        for folder in (home, stubs, os.path.join(share, "applications"),
                       os.path.join(scratch, "config"), os.path.join(scratch, "runtime")):
            os.makedirs(folder, exist_ok=True)
        os.chmod(os.path.join(scratch, "runtime"), 0o700)
        # No browser: each one xdg-open might try fails as if it were not installed.
        for browser in BROWSERS:
            write_executable(os.path.join(stubs, browser), "#!/bin/sh\nexit 127\n")
        if os.path.isdir("/usr/share/mime") and not os.path.exists(os.path.join(share, "mime")):
            os.symlink("/usr/share/mime", os.path.join(share, "mime"))
        self.env = dict(desktop.env)
        for name in ("BROWSER", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                     "GNOME_DESKTOP_SESSION_ID", "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE",
                     "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS"):
            self.env.pop(name, None)
        self.env.update(
            HOME=home, XDG_CONFIG_HOME=os.path.join(scratch, "config"),
            XDG_CONFIG_DIRS=os.path.join(scratch, "config"),
            XDG_DATA_HOME=os.path.join(scratch, "home-share"), XDG_DATA_DIRS=share,
            XDG_CACHE_HOME=os.path.join(scratch, "cache"),
            XDG_RUNTIME_DIR=os.path.join(scratch, "runtime"),
            PATH=stubs + os.pathsep + os.environ.get("PATH", "/usr/bin:/bin"),
            QT_QPA_PLATFORM="xcb", QT_LOGGING_RULES="reelwright.*.debug=true",
            QT_MESSAGE_PATTERN="%{category}: %{message}", LANG="C.UTF-8")
        self.log_path = os.path.join(scratch, "reelwright.log")
        self.log = open(self.log_path, "w")
        self.process = subprocess.Popen([PROGRAM] + list(arguments), env=self.env, cwd=home,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        self.main = wait_for(lambda: self.window_named(CAPTION), "the main window")
        self.layout = wait_for(lambda: self.logged("reelwright.layout", window="main"),
                               "the main window's layout")[-1]
        self.wait_until_shown(self.main)
        self.focus(self.main)

    # --- what the program logged -------------------------------------------------------
    def logged(self, category, **fields):
        lines = []
        with open(self.log_path) as log:
            for line in log:
                if line.startswith(category + ": "):
                    entry = json.loads(line[len(category) + 2:])
                    if all(entry.get(k) == v for k, v in fields.items()):
                        lines.append(entry)
        return lines

    def messages(self):
        """(text, icon, caption) of every message box shown so far."""
        return [(m["text"], m["icon"], m["caption"]) for m in self.logged("reelwright.messagebox")]

    def wait_for_message(self, count):
        return wait_for(lambda: len(self.messages()) >= count and self.messages(),
                        "message box %d" % count)[count - 1]

    # --- windows -----------------------------------------------------------------------
    def windows(self):
        out = self.desktop.xdotool("search", "--onlyvisible", "--pid", self.process.pid,
                                   check=False)
        return [int(w) for w in out.split()]

    def window_named(self, name):
        for window in self.windows():
            if self.desktop.xdotool("getwindowname", window, check=False).strip() == name:
                return window
        return None

    def windows_named(self, name):
        return [w for w in self.windows()
                if self.desktop.xdotool("getwindowname", w, check=False).strip() == name]

    def origin(self, window):
        """The window's top left corner on the screen (inside any frame)."""
        info = run(["xwininfo", "-id", str(window)], self.desktop.env)
        fields = dict(line.strip().split(":", 1) for line in info.splitlines() if ":" in line)
        return (int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"]))

    def wait_until_shown(self, window):
        self.desktop.xdotool("search", "--sync", "--onlyvisible", "--pid", self.process.pid,
                             check=False)
        wait_for(lambda: window in self.windows(), "window %d to show" % window)

    def wait_until_gone(self, window, what):
        """Waits for a dialog, box or menu to close, then for the main window to have
        the keyboard again: input that comes while a modal window is still going is
        not the main window's, for the program as for the window manager."""
        wait_for(lambda: window not in self.windows(), what + " to close")
        if (window != self.main and self.process.poll() is None and
                self.windows() == [self.main]):
            self.focus(self.main)

    def new_window(self, before, what):
        """A window that was not among `before`."""
        return wait_for(lambda: next((w for w in self.windows() if w not in before), None),
                        what)

    def focus(self, window):
        """Gives `window` the keyboard, through the window manager when there is one."""
        self.settle(window)
        ask, tell = (("windowactivate", "getactivewindow") if self.desktop.window_manager
                     else ("windowfocus", "getwindowfocus"))

        def focused():
            if self.desktop.xdotool(tell, check=False).strip() == str(window):
                return True
            self.desktop.xdotool(ask, window, check=False)
            time.sleep(0.05)
            return False

        wait_for(focused, "window %d to have the keyboard" % window)

    # --- input -------------------------------------------------------------------------
    def control(self, id):
        return next(c for c in self.layout["controls"] if c["id"] == id)

    def settle(self, window):
        """Waits until the window is mapped and the window manager has stopped moving it."""
        last = [None]

        def still():
            info = run(["xwininfo", "-id", str(window)], self.desktop.env, check=False)
            if "IsViewable" not in info:
                return False
            here = self.origin(window)
            steady = here == last[0]
            last[0] = here
            if not steady:
                time.sleep(0.05)
            return steady

        wait_for(still, "window %d to settle" % window)

    def click_at(self, window, x, y, button=1):
        self.settle(window)
        self.desktop.xdotool("mousemove", "--window", window, x, y)
        self.desktop.xdotool("click", button)

    def click(self, id, button=1):
        x, y, w, h = self.control(id)["rect"]
        self.click_at(self.main, x + w // 2, y + h // 2, button)

    def row_point(self, row):
        x, y, w, h = self.layout["listViewport"]
        height = self.layout["rowHeight"]
        return x + w // 2, y + row * height + height // 2

    def click_row(self, row, button=1):
        self.click_at(self.main, *self.row_point(row), button)

    def show_row(self, row, colour):
        """Clicks the row until the preview shows its colour: a click that comes while a
        run is ending is refused, as all input during a run is."""

        def shown():
            self.click_row(row)
            try:
                wait_for(lambda: mostly(self.crop(1008, inset=4), colour), "", timeout=2)
                return True
            except AssertionError:
                return False

        wait_for(shown, "row %d to be shown in %s" % (row, colour))

    def keys(self, *keys):
        for key in keys:
            self.desktop.xdotool("key", "--clearmodifiers", key)

    def type(self, text):
        self.desktop.xdotool("type", "--delay", "5", text)

    def set_field(self, id, text):
        self.click(id)
        self.keys("ctrl+a")
        self.type(text)

    # --- what the window shows ---------------------------------------------------------
    def crop(self, id, inset=2):
        """The pixels of control `id`, a little inside its edges."""
        x, y, w, h = self.control(id)["rect"]
        left, top = self.origin(self.main)
        return self.desktop.pixels(left + x + inset, top + y + inset, w - 2 * inset,
                                   h - 2 * inset)

    def steady_crop(self, id):
        """The pixels of control `id` once two looks in a row agree (a window that was
        just uncovered may still be repainting)."""
        last = [None]

        def steady():
            now = self.crop(id)
            same = now == last[0]
            last[0] = now
            return same and now

        return wait_for(steady, "control %d to stop changing" % id)

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()


def mostly(pixels, colour, tolerance=40, share=0.9):
    """True when at least `share` of the pixels are within `tolerance` of `colour`."""
    flat = [p for row in pixels for p in row]
    near = sum(1 for p in flat if all(abs(a - b) <= tolerance for a, b in zip(p, colour)))
    return flat and near >= share * len(flat)


class GuiTestCase(unittest.TestCase):
    """One desktop and one program per test; WINDOW_MANAGER picks openbox or bare."""

    WINDOW_MANAGER = os.environ.get("REELWRIGHT_GUI_WM", "openbox") != "none"
    ARGUMENTS = ()

    def setUp(self):
        missing = missing_tools()
        if missing:
            self.skipTest("missing: " + " ".join(missing))
        self.scratch = tempfile.mkdtemp(prefix="reelwright-gui-")
        self.addCleanup(shutil.rmtree, self.scratch, True)
        self.desktop = Desktop(self.WINDOW_MANAGER)
        self.addCleanup(self.desktop.stop)
        self.session = Session(self.desktop, self.scratch, self.ARGUMENTS)
        self.addCleanup(self.session.stop)

    def picture(self, name, *convert_arguments):
        """A picture made by ImageMagick in the scratch folder."""
        path = os.path.join(self.scratch, name)
        run(["convert"] + list(convert_arguments) + [path], os.environ)
        return path

    def answer_dialog(self, id, text, what, closes=True):
        """Clicks control `id`, types `text` into the dialog it opens, presses Enter and,
        when `closes`, waits for the dialog to go."""
        session = self.session
        session.click(id)
        dialog = session.new_window([session.main], what)
        session.focus(dialog)
        session.type(text)
        if closes:
            self.submit(dialog, what)
        else:
            session.keys("Return")
        return dialog

    def submit(self, dialog, what):
        """Enter until the dialog has gone: the first one may only close the file name
        completer that typing opened."""
        session = self.session

        def gone():
            session.keys("Return")
            try:
                wait_for(lambda: dialog not in session.windows(), what, timeout=3)
                return True
            except AssertionError:
                return False

        wait_for(gone, what + " to close")

    def add_through_open_dialog(self, paths):
        """"Add Image(s)", then the files' full paths typed into the open dialog, each in
        double quotes when there are several."""
        names = paths[0] if len(paths) == 1 else " ".join('"%s"' % p for p in paths)
        return self.answer_dialog(1002, names, "the open dialog")
