"""A virtual X screen with a window manager (openbox) on it, for driving the
FLTK txt2csv as a person would: X key presses and mouse clicks (xdotool),
and its windows looked at through X (xprop, xwininfo, the clipboard).

The programs come from the environment: TXT2CSV and TXT2CSV_WITHOUT_WINDOW
(set by ctest)."""

import os
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

from xvfb import start_xvfb

MAIN_TITLE = "Tabrix Vornel专版"
BOX_TITLE = "信息："
ERROR_TITLE = "错误"


def program(name):
    return Path(os.environ[name])


def poll(probe, timeout=10, step=0.1):
    """The first true answer of `probe`, or its last answer at the timeout."""
    until = time.monotonic() + timeout
    while True:
        answer = probe()
        if answer or time.monotonic() > until:
            return answer
        time.sleep(step)


class Desktop:
    """An Xvfb of the given size on a free display with openbox managing it;
    both are stopped by their own process ids."""

    def __init__(self, width, height):
        self.size = (width, height)
        self.scratch = Path(tempfile.mkdtemp(prefix="txt2csv-fltk-e2e-"))
        self.programs = []

    def __enter__(self):
        self.xvfb, display = start_xvfb(*self.size)
        # No settings of the user's own, and a locale that says nothing of Chinese.
        self.env = dict(os.environ, DISPLAY=f":{display}", LC_ALL="C.UTF-8",
                        XDG_CONFIG_HOME=str(self.scratch / "config"),
                        XDG_CACHE_HOME=str(self.scratch / "cache"))
        self.window_manager = subprocess.Popen(
            ["openbox", "--sm-disable"], env=self.env, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not poll(lambda: "window id" in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK")):
            self.__exit__(None, None, None)
            raise RuntimeError("openbox did not start")
        return self

    def __exit__(self, *_):
        self.stop_programs()
        for process in (self.window_manager, self.xvfb):
            process.terminate()
            process.wait()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def run(self, *command, timeout=10):
        return subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, timeout=timeout).stdout

    # Programs.

    def run_directory(self, name, input_bytes=None, executable="TXT2CSV"):
        """A directory of its own holding a copy of the program, and 1.txt when given."""
        directory = self.scratch / name
        directory.mkdir(parents=True)
        shutil.copy(program(executable), directory / "txt2csv")
        if input_bytes is not None:
            (directory / "1.txt").write_bytes(input_bytes)
        return directory

    def start(self, directory, cwd=None):
        started = subprocess.Popen([directory / "txt2csv"], cwd=cwd or self.scratch, env=self.env,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.programs.append(started)
        return started

    def start_main_window(self, directory, cwd=None):
        """Starts the program and waits until its window is framed and has the
        focus; the process and the window."""
        started = self.start(directory, cwd)
        window = self.window_titled(MAIN_TITLE)
        if window is None:
            raise AssertionError("no main window")
        poll(lambda: self.focused() == window)
        return started, window

    def stop_programs(self):
        for started in self.programs:
            if started.poll() is None:
                started.kill()
                started.wait()
        self.programs.clear()

    # Windows, through X.

    def windows(self):
        return [int(w) for w in self.run("xdotool", "search", "--class", "^txt2csv$").split()]

    def property(self, window, name):
        """The value xprop shows, as text."""
        return self.run("xprop", "-id", str(window), "-notype", name).partition("=")[2].strip()

    def title(self, window):
        text = self.property(window, "_NET_WM_NAME")
        return text[1:-1] if text.startswith('"') else None

    def titled(self, title):
        return [w for w in self.windows() if self.title(w) == title]

    def window_titled(self, title, timeout=10):
        found = poll(lambda: self.titled(title), timeout)
        return found[0] if found else None

    def focused(self):
        text = self.run("xdotool", "getwindowfocus").strip()
        return int(text) if text else None

    def client_area(self, window):
        """Left, top, width and height of the window's own area on the screen."""
        info = self.run("xwininfo", "-id", str(window))
        value = lambda label: int(re.search(label + r":\s+(-?\d+)", info).group(1))
        return [value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                value("Height")]

    def outer(self, window):
        """Left, top, width and height with the window manager's frame."""
        left, top, width, height = self.client_area(window)
        frame = [int(n) for n in self.property(window, "_NET_FRAME_EXTENTS").split(",")]
        return [left - frame[0], top - frame[2], width + frame[0] + frame[1],
                height + frame[2] + frame[3]]

    def clipboard(self):
        # As bytes: the texts' own CR LF stay.
        return subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=self.env,
                              stdin=subprocess.DEVNULL, capture_output=True,
                              timeout=5).stdout.decode()

    # X input.

    def xdotool(self, *arguments):
        subprocess.run(["xdotool", *map(str, arguments)], env=self.env, check=True,
                       stdin=subprocess.DEVNULL)

    def keys(self, *names):
        self.xdotool("key", "--delay", 50, *names)

    def type(self, text):
        self.xdotool("type", "--delay", 50, text)

    def click(self, point):
        self.xdotool("mousemove", point[0], point[1], "click", 1)

    def click_control(self, window, place, size):
        """A click in the middle of a control at its place in the window."""
        left, top = self.client_area(window)[:2]
        self.click((left + place[0] + size[0] // 2, top + place[1] + size[1] // 2))


def copied_box(desktop, title, window):
    """The texts of a message box as its Ctrl+C copies them."""
    desktop.keys("ctrl+c")
    return poll(lambda: desktop.clipboard().startswith("-" * 27 + "\n" + title + "\n") and
                desktop.clipboard(), timeout=5)


def box_texts(title, message):
    rule = "-" * 27 + "\n"
    return rule + title + "\n" + rule + message + "\n" + rule + "确定   \n" + rule


def ended_with(started, timeout=10):
    """The exit status, or None when the process is still running."""
    try:
        return started.wait(timeout)
    except subprocess.TimeoutExpired:
        return None
