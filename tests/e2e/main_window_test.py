#!/usr/bin/env python3
"""The main window on a 1920 x 1080 screen: its frame, controls, painting,
focus and keys."""

import subprocess
import unittest

from wine_desktop import (EDITION_LABEL, GENERATE_BUTTON, INSTRUCTIONS_LABEL, SEPARATOR_BOX,
                          SEPARATOR_CAPTION, Desktop, control, ended_with)

WS_TABSTOP, WS_THICKFRAME, WS_SYSMENU, WS_CAPTION = 0x10000, 0x40000, 0x80000, 0xC00000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x20000, 0x10000
WS_EX_TOPMOST, WS_EX_CLIENTEDGE, WS_EX_APPWINDOW = 0x8, 0x200, 0x40000
SS_TYPEMASK, SS_OWNERDRAW = 0x1F, 0xD
ES_AUTOHSCROLL, ES_NOHIDESEL, ES_READONLY, ES_PASSWORD = 0x80, 0x100, 0x800, 0x20
BS_TYPEMASK, BS_PUSHBUTTON = 0xF, 0x0
FEEDBACK_MESSAGE = 32885

INSTRUCTIONS = ("【TXT文本说明】文本每行以回车换行符格式，每条文本中间的分隔符可以自定义。"
                "生成的后文件为EXCEL的CSV表格文件，并存贮在本程序同级目录，"
                "源文件的1.txt文本文件也需要放在本程序同级目录")

# Top of the z-order first: the controls are created from the last listed one.
CONTROLS = [
    # number, class, text, left, top, width, height
    (SEPARATOR_BOX, "Edit", ",", 104, 8, 40, 24),
    (GENERATE_BUTTON, "Button", "生成EXCEL表格", 168, 8, 120, 32),
    (INSTRUCTIONS_LABEL, "Static", INSTRUCTIONS, 8, 64, 560, 32),
    (EDITION_LABEL, "Static", "Vornel专版 2017", 232, 104, 104, 24),
    (SEPARATOR_CAPTION, "Static", "TXT文本间隔符", 16, 8, 88, 24),
]

desktop = None


def setUpModule():
    global desktop
    desktop = Desktop(1920, 1080).__enter__()


def tearDownModule():
    desktop.__exit__(None, None, None)


class main_window(unittest.TestCase):
    """One copy for the tests that only look."""

    @classmethod
    def setUpClass(cls):
        cls.program, cls.handle = desktop.start_main_window()
        cls.window = desktop.describe(cls.handle)

    @classmethod
    def tearDownClass(cls):
        desktop.stop_programs()

    def test_frame_centred_on_the_screen(self):
        window = self.window
        self.assertEqual(window["title"], "Tabrix Vornel专版")
        self.assertEqual(window["screen"], [1920, 1080])
        self.assertEqual(window["outer"], [625, 450, 625 + 670, 450 + 179])
        outer, client = window["outer"], window["client"]
        self.assertTrue(outer[0] < client[0] and client[2] < outer[2] and outer[1] < client[1]
                        and client[3] < outer[3], client)
        style, exstyle = window["style"], window["exstyle"]
        self.assertEqual(style & WS_CAPTION, WS_CAPTION)
        self.assertTrue(style & WS_SYSMENU)
        self.assertFalse(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME))
        self.assertTrue(exstyle & WS_EX_APPWINDOW)
        self.assertFalse(exstyle & WS_EX_TOPMOST)
        self.assertEqual(window["owner"], 0)
        self.assertIsNotNone(window["close_box"])

    def test_controls_texts_and_places(self):
        controls = self.window["controls"]
        self.assertEqual([c["id"] for c in controls], [row[0] for row in CONTROLS])
        for (number, kind, text, left, top, width, height), found in zip(CONTROLS, controls):
            with self.subTest(number=number):
                self.assertEqual(found["class"], kind)
                self.assertEqual(found["text"], text)
                self.assertEqual(found["rect"], [left, top, left + width, top + height])

    def test_kinds_of_control(self):
        for number in (SEPARATOR_CAPTION, EDITION_LABEL, INSTRUCTIONS_LABEL):
            label = control(self.window, number)
            self.assertEqual(label["style"] & SS_TYPEMASK, SS_OWNERDRAW, number)
            self.assertFalse(label["style"] & WS_TABSTOP, number)

        box = control(self.window, SEPARATOR_BOX)
        self.assertTrue(box["exstyle"] & WS_EX_CLIENTEDGE)
        self.assertTrue(box["style"] & ES_AUTOHSCROLL)
        self.assertTrue(box["style"] & WS_TABSTOP)
        self.assertFalse(box["style"] & (ES_NOHIDESEL | ES_READONLY | ES_PASSWORD))
        self.assertEqual(box["limit"], 0x7FFFFFFE)  # no limit of its own

        button = control(self.window, GENERATE_BUTTON)
        self.assertEqual(button["style"] & BS_TYPEMASK, BS_PUSHBUTTON)  # not the default button
        self.assertTrue(button["style"] & WS_TABSTOP)

    def test_separator_line_centred_in_the_box(self):
        box = control(self.window, SEPARATOR_BOX)
        line_top, line_bottom = box["client"][1], box["client"][3]
        self.assertEqual(line_bottom - line_top, self.window["font_height"])
        band_above, band_below = line_top - box["rect"][1], box["rect"][3] - line_bottom
        self.assertLessEqual(abs(band_above - band_below), 1, box)

    def test_focus_and_caret_at_start(self):
        window = self.window
        self.assertTrue(window["foreground"])
        self.assertEqual(window["focus"], SEPARATOR_BOX)
        self.assertEqual(control(window, SEPARATOR_BOX)["selection"], [0, 0])
        self.assertEqual(window["caret"]["id"], SEPARATOR_BOX)
        # Left of the comma: no more than the box's margin from its left edge.
        self.assertLessEqual(window["caret"]["rect"][0], 3)

    def test_feedback_to_the_edition_label_is_answered_with_0(self):
        answer = desktop.probe("send", self.handle, EDITION_LABEL, FEEDBACK_MESSAGE, 7, 9)
        self.assertEqual(answer, {"answer": 0, "alive": True})

    def test_painting(self):
        window = self.window
        shot = desktop.scratch / "window.png"
        subprocess.run(["import", "-window", "root", shot], env=desktop.env, check=True)
        origin = window["client"][:2]

        def colours(rect):
            """The rows of pixels of a rectangle in client coordinates."""
            left, top, right, bottom = rect
            text = subprocess.run(
                ["convert", shot, "-crop", f"{right - left}x{bottom - top}+{origin[0] + left}+{origin[1] + top}",
                 "-depth", "8", "txt:-"], check=True, capture_output=True, text=True).stdout
            rows = [[None] * (right - left) for _ in range(bottom - top)]
            for line in text.splitlines()[1:]:
                place, _, rest = line.partition(":")
                x, y = map(int, place.split(","))
                rows[y][x] = rest.split()[-1]  # "#RRGGBB" or a colour name
            return rows

        def inked_rows(rect):
            return [y for y, row in enumerate(colours(rect)) if "#000000" in row or "black" in row]

        background = colours([2, 2, 3, 3])[0][0]
        for number in (SEPARATOR_CAPTION, EDITION_LABEL, INSTRUCTIONS_LABEL):
            rect = control(window, number)["rect"]
            self.assertEqual(colours(rect)[0][0], background, number)

        # Single-line labels centre their line; the instructions start at the top.
        for number in (SEPARATOR_CAPTION, EDITION_LABEL):
            rect = control(window, number)["rect"]
            inked = inked_rows(rect)
            self.assertLessEqual(abs((inked[0] + inked[-1]) / 2 - (rect[3] - rect[1]) / 2), 2, number)
        instructions = inked_rows(control(window, INSTRUCTIONS_LABEL)["rect"])
        self.assertLessEqual(instructions[0], 3)
        self.assertGreater(instructions[-1], 16)  # a second line

        box = control(window, SEPARATOR_BOX)
        band = [box["client"][0], box["rect"][1] + 2, box["client"][2], box["client"][1]]
        self.assertTrue(all(c in ("#FFFFFF", "white") for row in colours(band) for c in row))


class keys(unittest.TestCase):
    """Each test with a copy of its own."""

    def setUp(self):
        self.program, self.handle = desktop.start_main_window()

    def tearDown(self):
        desktop.stop_programs()

    def wait_for(self, condition):
        return desktop.wait_for(self.handle, condition)

    def box_text(self, window):
        return control(window, SEPARATOR_BOX)["text"]

    def test_character_typed_at_once_lands_before_the_comma(self):
        desktop.type(";")
        window = self.wait_for(lambda w: self.box_text(w) != ",")
        self.assertEqual(self.box_text(window), ";,")
        self.assertEqual(control(window, SEPARATOR_BOX)["selection"], [1, 1])

    def test_tab_and_shift_tab_alternate_between_box_and_button(self):
        expected = [("Tab", GENERATE_BUTTON), ("Tab", SEPARATOR_BOX), ("shift+Tab", GENERATE_BUTTON),
                    ("shift+Tab", SEPARATOR_BOX), ("shift+Tab", GENERATE_BUTTON), ("Tab", SEPARATOR_BOX)]
        for key, focus in expected:
            desktop.keys(key)
            window = self.wait_for(lambda w: w["focus"] == focus)
            self.assertEqual(window["focus"], focus, key)
        # Coming back, the box keeps its caret and selects nothing.
        self.assertEqual(control(window, SEPARATOR_BOX)["selection"], [0, 0])

    def test_keys_that_do_nothing(self):
        # Each is followed by a character: once it is in the box, the key
        # before it has been handled, and it neither moved the focus nor typed.
        typed = ""
        for key, letter in [("Return", "a"), ("F1", "b"), ("alt+g", "c"), ("alt+1", "d")]:
            desktop.keys(key)
            desktop.type(letter)
            typed += letter
            window = self.wait_for(lambda w: self.box_text(w) == typed + ",")
            self.assertEqual(self.box_text(window), typed + ",", key)
            self.assertEqual(window["focus"], SEPARATOR_BOX, key)

        desktop.keys("Tab", "Return", "Tab")
        window = self.wait_for(lambda w: w["focus"] == SEPARATOR_BOX)
        self.assertEqual(window["focus"], SEPARATOR_BOX)
        self.assertIsNone(desktop.probe("message-box", "txt2csv.exe", 0, check=False))
        self.assertIsNone(self.program.poll())

    def test_long_separator_scrolls_without_limit(self):
        desktop.keys("Delete")
        text = "abcdefghijklmnopqrstuvwxyz0123"
        desktop.type(text)
        window = self.wait_for(lambda w: self.box_text(w) == text)
        self.assertEqual(self.box_text(window), text)
        box = control(window, SEPARATOR_BOX)
        caret_x = window["caret"]["rect"][0]
        self.assertLess(caret_x, box["client"][2] - box["client"][0])  # still in sight

    def test_clicking_the_button_focuses_it(self):
        window = desktop.describe(self.handle)
        rect = control(window, GENERATE_BUTTON)["rect"]
        origin = window["client"][:2]
        desktop.click((origin[0] + (rect[0] + rect[2]) // 2, origin[1] + (rect[1] + rect[3]) // 2))
        # The click runs the conversion; its box (no 1.txt here) has the focus until it is closed.
        desktop.probe("message-box", "txt2csv.exe", 10000, "press")
        window = self.wait_for(lambda w: w["focus"] == GENERATE_BUTTON)
        self.assertEqual(window["focus"], GENERATE_BUTTON)


if __name__ == "__main__":
    unittest.main(verbosity=2)
