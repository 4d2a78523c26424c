#!/usr/bin/env python3
"""The FLTK txt2csv on a 1920 x 1080 screen under a window manager: its
frame, the conversion from typed separators, the keys, how it ends, and the
window that cannot be built."""

import os
import unittest

from x_desktop import (BOX_TITLE, ERROR_TITLE, MAIN_TITLE, Desktop, box_texts, copied_box,
                       ended_with, poll)

DONE = "已生成完成，请在该目录下查看1.csv文件"
MISSING = "源文本文件不存在，请确定在本程序同级目录下是否有1.txt文件"

# Places and sizes of the controls the tests click.
GENERATE_BUTTON = ((168, 8), (120, 32))

desktop = None


def setUpModule():
    global desktop
    desktop = Desktop(1920, 1080).__enter__()


def tearDownModule():
    desktop.__exit__(None, None, None)


class window(unittest.TestCase):
    """One copy, started from another directory, for the tests that only look."""

    @classmethod
    def setUpClass(cls):
        cls.directory = desktop.run_directory("look")
        elsewhere = desktop.scratch / "elsewhere"
        elsewhere.mkdir()
        cls.program, cls.window = desktop.start_main_window(cls.directory, cwd=elsewhere)

    @classmethod
    def tearDownClass(cls):
        desktop.stop_programs()

    def test_frame_centred_on_the_screen_and_fixed(self):
        outer = poll(lambda: desktop.outer(self.window) == [625, 450, 670, 179] and
                     desktop.outer(self.window))
        self.assertEqual(outer, [625, 450, 670, 179])
        width, height = desktop.client_area(self.window)[2:]
        hints = desktop.run("xprop", "-id", str(self.window), "WM_NORMAL_HINTS")
        self.assertIn(f"minimum size: {width} by {height}", hints)
        self.assertIn(f"maximum size: {width} by {height}", hints)
        actions = desktop.property(self.window, "_NET_WM_ALLOWED_ACTIONS")
        self.assertIn("_NET_WM_ACTION_CLOSE", actions)
        self.assertIn("_NET_WM_ACTION_MOVE", actions)
        self.assertNotIn("_NET_WM_ACTION_MAXIMIZE", actions)
        self.assertNotIn("_NET_WM_ACTION_RESIZE", actions)

    def test_icon_is_the_programs(self):
        # Width, height, then pixels as 0xAARRGGBB from the top left.
        values = desktop.run("xprop", "-id", str(self.window), "-notype", "-f", "_NET_WM_ICON",
                             "32x", " $0+", "_NET_WM_ICON").split(None, 1)[1].split(", ")
        self.assertEqual(values[:2], ["0x20", "0x20"])
        self.assertEqual(len(values), 2 + 32 * 32)
        self.assertEqual(values[2], "0xff00ffff")  # cyan
        self.assertEqual(values[-1], "0xffff8c00")  # orange

    def test_current_directory_is_the_run_directory(self):
        self.assertEqual(os.readlink(f"/proc/{self.program.pid}/cwd"), str(self.directory))


def converted(case, input_bytes, typing):
    """Starts a copy by `input_bytes` (none: no 1.txt), does the typing, clicks
    the generate button and reads the box; the box's texts and the run
    directory, once the box is closed and the program has ended by Esc."""
    directory = desktop.run_directory(case, input_bytes)
    started, main = desktop.start_main_window(directory)
    typing()
    desktop.click_control(main, *GENERATE_BUTTON)
    box = desktop.window_titled(BOX_TITLE)
    if box is None:
        raise AssertionError(f"{case}: no message box")
    poll(lambda: desktop.focused() == box)
    texts = copied_box(desktop, BOX_TITLE, box)
    desktop.keys("Return")
    poll(lambda: not desktop.titled(BOX_TITLE))
    poll(lambda: desktop.focused() == main)
    desktop.keys("Escape")
    if ended_with(started) != 0:
        raise AssertionError(f"{case}: did not end with 0")
    return texts, directory


def separator(typed):
    """Replaces the comma in the box by `typed` (nothing: empties the box)."""
    def typing():
        if typed:
            desktop.type(typed)
        desktop.keys("Delete")
    return typing


class conversion(unittest.TestCase):
    def tearDown(self):
        desktop.stop_programs()

    def test_typed_separators_convert_1_txt(self):
        cases = [
            # name, 1.txt, typing, 1.csv
            ("bars", b"a|b|c\r\n1||3", separator("|"), b"a,b,c\r\n1,,3\r\n"),
            # The bar is the second byte of a GBK character here, and no separator.
            ("bar inside gbk", "億|x\r\n".encode("gbk"), separator("|"), "億,x\r\n".encode("gbk")),
            ("quoting", b'x|"y"|a,b\r\n', separator("|"), b'x,"""y""","a,b"\r\n'),
            ("chinese separator", "甲，乙\r\n".encode("gbk"), separator("，"),
             "甲,乙\r\n".encode("gbk")),
            # UTF-8 is split by its own characters and its table gets the mark.
            ("utf-8 chinese separator", "甲，乙\r\n".encode("utf-8"), separator("，"),
             "\ufeff甲,乙\r\n".encode("utf-8")),
            # Typed at once, a character lands before the comma.
            ("two characters", b"a;,b;c\r\n", lambda: desktop.type(";"), b"a,b;c\r\n"),
            ("empty box", b"a|b\r\n\r\nc\r\n", separator(""), b"a|b\r\n\r\nc\r\n"),
        ]
        for name, input_bytes, typing, table in cases:
            with self.subTest(name):
                texts, directory = converted(name.replace(" ", "_"), input_bytes, typing)
                self.assertEqual(texts, box_texts(BOX_TITLE, DONE))
                self.assertEqual((directory / "1.csv").read_bytes(), table)

    def test_missing_1_txt_writes_nothing(self):
        texts, directory = converted("missing", None, lambda: None)
        self.assertEqual(texts, box_texts(BOX_TITLE, MISSING))
        self.assertEqual(sorted(p.name for p in directory.iterdir()), ["txt2csv"])


class keys(unittest.TestCase):
    def setUp(self):
        self.directory = desktop.run_directory(self.id().rpartition(".")[2], b"a;,b|c\r\n")
        self.program, self.window = desktop.start_main_window(self.directory)

    def tearDown(self):
        desktop.stop_programs()

    def box_comes_up(self):
        box = desktop.window_titled(BOX_TITLE, timeout=2)
        if box is not None:
            poll(lambda: desktop.focused() == box)
            desktop.keys("Return")
            poll(lambda: not desktop.titled(BOX_TITLE))
            poll(lambda: desktop.focused() == self.window)
        return box is not None

    def test_tab_and_shift_tab_alternate_between_box_and_button(self):
        # Where the focus is shows in what a key does: space presses the
        # button, a character goes into the box.
        desktop.keys("Tab", "space")
        self.assertTrue(self.box_comes_up())
        desktop.keys("shift+Tab")
        desktop.type(";")
        desktop.keys("shift+Tab", "shift+Tab", "Tab", "space")
        self.assertTrue(self.box_comes_up())
        self.assertEqual((self.directory / "1.csv").read_bytes(), b"a,b|c\r\n")

    def test_enter_and_f1_do_nothing(self):
        desktop.keys("Return", "F1", "Tab", "Return", "F1")
        self.assertFalse(self.box_comes_up())
        self.assertFalse((self.directory / "1.csv").exists())
        # The focus stayed on the button.
        desktop.keys("space")
        self.assertTrue(self.box_comes_up())


class ending(unittest.TestCase):
    def tearDown(self):
        desktop.stop_programs()

    def test_closing_ends_with_exit_code_0(self):
        ways = {
            "Esc in the box": ("Escape",),
            "Esc on the button": ("Tab", "Escape"),
            "Alt+F4": ("alt+F4",),
        }
        for name, keys in ways.items():
            with self.subTest(name):
                started, window = desktop.start_main_window(
                    desktop.run_directory("close " + name))
                desktop.keys(*keys)
                self.assertEqual(ended_with(started), 0)
                self.assertEqual(desktop.titled(MAIN_TITLE), [])


class failure(unittest.TestCase):
    def tearDown(self):
        desktop.stop_programs()

    def test_window_that_cannot_be_built(self):
        started = desktop.start(desktop.run_directory("no window", executable="TXT2CSV_WITHOUT_WINDOW"))
        box = desktop.window_titled(ERROR_TITLE)
        self.assertIsNotNone(box)
        poll(lambda: desktop.focused() == box)
        self.assertEqual(copied_box(desktop, ERROR_TITLE, box),
                         box_texts(ERROR_TITLE, "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"))
        self.assertEqual(desktop.titled(MAIN_TITLE), [])
        desktop.keys("Return")
        self.assertEqual(ended_with(started), 255)  # -1


if __name__ == "__main__":
    unittest.main(verbosity=2)
