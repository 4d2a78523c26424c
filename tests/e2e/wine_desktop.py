"""A virtual X screen with Wine on it, for driving txt2csv.exe as a person
would: real X key presses and mouse clicks (xdotool), and Win32 looks at the
windows through window_probe.exe.

The programs come from the environment: TXT2CSV_EXE, TXT2CSV_WITHOUT_WINDOW_EXE
and WINDOW_PROBE_EXE (set by ctest)."""

import json
import os
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

from xvfb import start_xvfb

ROOT = Path(__file__).resolve().parents[2]
WINE_RUN = ROOT / "scripts" / "wine-run"
WINE_FRAMES = ROOT / "scripts" / "wine-frames"
MAIN_WINDOW_IMAGE = "txt2csv.exe"

# Numbers of the main window's controls.
SEPARATOR_BOX = 369164290
GENERATE_BUTTON = 369164291
INSTRUCTIONS_LABEL = 369164309
EDITION_LABEL = 369164326
SEPARATOR_CAPTION = 369164390


def program(name):
    return Path(os.environ[name])


class Desktop:
    """An Xvfb of the given size on a free display, and a Wine session of the
    project's prefix that belongs to it: Wine's desktop process keeps the
    display of the session's first program, so each screen gets its own."""

    def __init__(self, width, height):
        self.size = (width, height)
        self.prefix = os.environ.get("WINEPREFIX", str(ROOT / "build" / "wine"))
        self.scratch = Path(tempfile.mkdtemp(prefix="txt2csv-e2e-"))
        self.programs = []
        self.had_wineserver = False

    def __enter__(self):
        self.xvfb, display = start_xvfb(*self.size)
        self.env = dict(os.environ, DISPLAY=f":{display}", WINEPREFIX=self.prefix,
                        WINEDEBUG="-all", LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8")
        try:
            # A server already there (scripts/with-wine starts one) is ended
            # with its processes, and a fresh one is left at the end.
            self.had_wineserver = self._end_wineserver()
            self._start_wineserver()
            subprocess.run([WINE_FRAMES, "wine"], env=self.env, check=True, stdin=subprocess.DEVNULL)
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *_):
        self.stop_programs()
        self._end_wineserver()
        if self.had_wineserver:
            self._start_wineserver()
        self.xvfb.terminate()
        self.xvfb.wait()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def _wineserver(self, option):
        return subprocess.run(["wineserver", option], env=self.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode

    def _end_wineserver(self):
        """Ends the prefix's server and its processes; whether one was running."""
        ended = self._wineserver("-k") == 0
        self._wineserver("-w")
        return ended

    def _start_wineserver(self):
        # Persistent, and apart from any pipe of ours.
        if self._wineserver("-p") != 0:
            raise RuntimeError("wineserver did not start")

    # Programs.

    def start(self, executable, *arguments, cwd=None):
        started = subprocess.Popen([WINE_RUN, str(executable), *arguments], cwd=cwd or self.scratch,
                                   env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.programs.append(started)
        return started

    def probe(self, *arguments, check=True):
        """window_probe's answer, read through a file: Wine's background
        processes would keep a pipe open."""
        with tempfile.TemporaryFile(dir=self.scratch) as output:
            status = subprocess.run([WINE_RUN, str(program("WINDOW_PROBE_EXE")), *map(str, arguments)],
                                    env=self.env, stdin=subprocess.DEVNULL, stdout=output,
                                    stderr=subprocess.DEVNULL).returncode
            output.seek(0)
            text = output.read().decode("utf-8")
        if check and status != 0:
            raise AssertionError(f"window_probe {' '.join(map(str, arguments))} failed: {text}")
        return json.loads(text) if text.strip() else None

    def main_windows(self, count, timeout=20):
        """Waits until `count` main windows are up; their handles and pids."""
        return self.probe("windows", MAIN_WINDOW_IMAGE, count, int(timeout * 1000))

    def start_main_window(self, *arguments, cwd=None):
        """Starts txt2csv and waits for its window; the process and the handle."""
        before = {w["handle"] for w in self.probe("windows", MAIN_WINDOW_IMAGE, 0, 0, check=False)}
        started = self.start(program("TXT2CSV_EXE"), *arguments, cwd=cwd)
        windows = self.main_windows(len(before) + 1)
        return started, next(w["handle"] for w in windows if w["handle"] not in before)

    def running(self):
        return [p for p in self.programs if p.poll() is None]

    def stop_programs(self):
        """Ends what a test left running."""
        for started in self.running():
            started.kill()
            started.wait()
        self.programs.clear()

    def describe(self, handle):
        return self.probe("describe", handle)

    def wait_for(self, handle, condition, timeout=10):
        """The window's description once `condition` holds for it."""
        until = time.monotonic() + timeout
        while True:
            description = self.describe(handle)
            if condition(description) or time.monotonic() > until:
                return description
            time.sleep(0.1)

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

    def drag(self, start, end):
        self.xdotool("mousemove", start[0], start[1], "mousedown", 1)
        for step in range(1, 11):
            x = start[0] + (end[0] - start[0]) * step // 10
            y = start[1] + (end[1] - start[1]) * step // 10
            self.xdotool("mousemove", x, y)
        self.xdotool("mouseup", 1)


def ended_with(started, timeout=10):
    """The exit status, or None when the process is still running."""
    try:
        return started.wait(timeout)
    except subprocess.TimeoutExpired:
        return None


def control(description, number):
    return next(c for c in description["controls"] if c["id"] == number)


def windows_path(path):
    """The Wine path of a Unix path, by the prefix's Z: drive."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")
