#!/usr/bin/env python3
"""The generate button: 1.txt beside the program becomes 1.csv beside it,
started by a click or the space bar, with the separator in the box, and the
one message box that tells how it went."""

import itertools
import os
import shutil
import unittest

from wine_desktop import (GENERATE_BUTTON, SEPARATOR_BOX, Desktop, control, ended_with, program,
                          windows_path)

# The messages and the icon each comes with.
DONE = ("已生成完成，请在该目录下查看1.csv文件", "information")
MISSING = ("源文本文件不存在，请确定在本程序同级目录下是否有1.txt文件", "warning")
UNREADABLE = ("无法读取1.txt文件，请确认它没有被其他程序占用，并且可以读取", "warning")
FAILED = ("生成失败，因为1.csv文件已经存在或者已打开，请删除或者重命名该目录下的1.csv后再试", "warning")


def gbk(text):
    return text.encode("gbk")


def utf8(text):
    return text.encode("utf-8")


# separator, typed (real key presses) or set (the box's text set through
# Win32, for what xdotool cannot type), 1.txt, 1.csv
TABLES = [
    ("|", "typed",
     # 東 is 96 7C: its second byte is no bar. An empty line stays a row, a
     # field holding a comma or a quote is quoted, the last line has no CR LF.
     gbk('東|西|南\r\na||b\r\n\r\nx,y|say "hi"|z\r\n|last'),
     gbk('東,西,南\r\na,,b\r\n\r\n"x,y","say ""hi""",z\r\n,last\r\n')),
    (",", "typed",
     gbk("甲,,乙\r\na|b,c,\r\n"),
     gbk("甲,,乙\r\na|b,c\r\n")),
    ("::", "typed",
     b"a::b::c\r\n::x\r\na:b\r\na:::b",
     b"a,b,c\r\n,x\r\na:b\r\na,:b\r\n"),
    # The separator is trimmed, the fields are not.
    (" | ", "typed",
     b"a | b|c\r\n",
     b"a , b,c\r\n"),
    # The full-width comma, A3 AC. 保 ends in A3 and 現 begins with AC: no cut
    # between them.
    ("，", "set",
     gbk("甲，乙，丙\r\n保現，丁\r\n1,2，3"),
     gbk('甲,乙,丙\r\n保現,丁\r\n"1,2",3\r\n')),
    # GBK lacks 표: the separator matches nothing.
    ("표", "set",
     b"a,b|c\r\nd",
     b'"a,b|c"\r\nd\r\n'),
    # UTF-8 is told from GBK, split by its own characters (the comma after
    # 中's third byte separates), and its table starts with the byte-order mark.
    (",", "typed",
     utf8('中,文\r\n数据,"引号"'),
     utf8('\ufeff中,文\r\n数据,"""引号"""\r\n')),
    # A mark at the start is not part of the first field; the separator from
    # the box is matched as UTF-8, here one GBK lacks.
    ("표", "set",
     utf8('\ufeff甲표乙\r\n'),
     utf8('\ufeff甲,乙\r\n')),
]

desktop = None
serial = itertools.count()


def setUpModule():
    global desktop
    desktop = Desktop(1024, 768).__enter__()


def tearDownModule():
    desktop.__exit__(None, None, None)


class held_open:
    """A file held open by another program, hold_file.exe, inside the with block."""

    def __init__(self, name, access, share):
        tag = f"{os.getpid()}-{next(serial)}"
        self.ready, self.release = f"txt2csv-e2e-ready-{tag}", f"txt2csv-e2e-release-{tag}"
        self.holder = desktop.start(program("HOLD_FILE_EXE"), windows_path(name), access, share,
                                    self.ready, self.release)

    def __enter__(self):
        desktop.probe("wait-event", self.ready, 20000)  # fails when it could not open the file
        return self

    def __exit__(self, *_):
        desktop.probe("set-event", self.release)
        if ended_with(self.holder) != 0:
            raise AssertionError("hold_file did not let go of the file")


class program_in_a_folder(unittest.TestCase):
    """Each test with a folder of its own, a copy of txt2csv.exe in it, and that copy running."""

    folder = "run"
    executable = "TXT2CSV_EXE"

    def setUp(self):
        self.run = desktop.scratch / f"{self.folder}-{next(serial)}"
        self.run.mkdir()
        shutil.copy(program(self.executable), self.run / "txt2csv.exe")
        self.started = desktop.start(self.run / "txt2csv.exe")
        (window,) = desktop.main_windows(1)
        self.handle = window["handle"]
        self.window = desktop.describe(self.handle)

    def tearDown(self):
        desktop.probe("message-box", "txt2csv.exe", 0, "press", check=False)
        desktop.stop_programs()

    # The folder.

    def put(self, name, contents):
        (self.run / name).write_bytes(contents)

    def contents(self, name):
        return (self.run / name).read_bytes()

    def entries(self):
        return sorted(os.listdir(self.run))

    # The window.

    def centre_of(self, number):
        left, top, right, bottom = control(self.window, number)["rect"]
        origin = self.window["client"][:2]
        return (origin[0] + (left + right) // 2, origin[1] + (top + bottom) // 2)

    def box_text(self):
        return desktop.probe("text", self.handle, SEPARATOR_BOX)["text"]

    def type_separator(self, separator):
        desktop.click(self.centre_of(SEPARATOR_BOX))
        desktop.keys("Home", "shift+End")
        desktop.type(separator)
        self.assertEqual(self.box_text(), separator)

    def set_separator(self, separator):
        desktop.probe("set-text", self.handle, SEPARATOR_BOX, separator.encode("utf-16-be").hex())
        self.assertEqual(self.box_text(), separator)

    def click_generate(self):
        desktop.click(self.centre_of(GENERATE_BUTTON))

    def focus_on(self, number):
        return desktop.wait_for(self.handle, lambda w: w["focus"] == number)["focus"] == number

    def assert_outcome(self, expected):
        """The one box the conversion shows; closes it."""
        box = desktop.probe("message-box", "txt2csv.exe", 10000, "press")
        self.assertEqual((box["texts"], box["icon"]), ([expected[0]], expected[1]))
        self.assertEqual(box["title"], "信息：")
        self.assertEqual(box["owner"], self.handle)
        self.assertEqual(len(box["buttons"]), 1)
        self.assertIsNone(desktop.probe("message-box", "txt2csv.exe", 0, check=False))


class generate(program_in_a_folder):
    def test_tables_for_each_separator(self):
        for separator, entered, text, table in TABLES:
            with self.subTest(separator=separator):
                self.put("1.txt", text)
                if entered == "typed":
                    self.type_separator(separator)
                else:
                    self.set_separator(separator)
                self.click_generate()
                self.assert_outcome(DONE)
                self.assertEqual(self.contents("1.csv"), table)
                self.assertEqual(self.entries(), ["1.csv", "1.txt", "txt2csv.exe"])

    def test_existing_table_replaced_and_each_click_reads_1_txt_anew(self):
        self.put("1.csv", b"an older, longer table\r\n" * 10)
        self.put("1.txt", b"a,b\r\n")
        self.click_generate()
        self.assert_outcome(DONE)
        self.assertEqual(self.contents("1.csv"), b"a,b\r\n")

        self.put("1.txt", b"c")
        self.click_generate()
        self.assert_outcome(DONE)
        self.assertEqual(self.contents("1.csv"), b"c\r\n")

    def test_missing_input_writes_nothing(self):
        self.click_generate()
        self.assert_outcome(MISSING)
        self.assertEqual(self.entries(), ["txt2csv.exe"])

    def test_directory_named_1_txt_leaves_the_table_alone(self):
        (self.run / "1.txt").mkdir()
        self.put("1.csv", b"old\r\n")
        self.click_generate()
        self.assert_outcome(UNREADABLE)
        self.assertEqual(self.contents("1.csv"), b"old\r\n")
        self.assertEqual(self.entries(), ["1.csv", "1.txt", "txt2csv.exe"])

    def test_table_held_open_by_another_program(self):
        self.put("1.txt", b"new\r\n")
        # A reader that shares reading and writing, and a writer that shares nothing.
        for access, share in [("read", "write"), ("write", "none")]:
            with self.subTest(access=access, share=share):
                self.put("1.csv", b"old\r\n")
                with held_open(self.run / "1.csv", access, share):
                    self.click_generate()
                    self.assert_outcome(FAILED)
                    self.assertEqual(self.contents("1.csv"), b"old\r\n")
                    self.assertEqual(self.entries(), ["1.csv", "1.txt", "txt2csv.exe"])
                # Let go, it is replaced.
                self.click_generate()
                self.assert_outcome(DONE)
                self.assertEqual(self.contents("1.csv"), b"new\r\n")

    def test_space_on_the_button_starts_it_and_enter_does_not(self):
        self.put("1.txt", b"a\r\n")
        desktop.click(self.centre_of(SEPARATOR_BOX))
        desktop.keys("Tab")
        self.assertTrue(self.focus_on(GENERATE_BUTTON))
        # Had Enter started the conversion, its box would take the Shift+Tab.
        desktop.keys("Return", "shift+Tab")
        self.assertTrue(self.focus_on(SEPARATOR_BOX))
        self.assertIsNone(desktop.probe("message-box", "txt2csv.exe", 0, check=False))
        self.assertEqual(self.entries(), ["1.txt", "txt2csv.exe"])

        desktop.keys("Tab")
        self.assertTrue(self.focus_on(GENERATE_BUTTON))
        desktop.keys("space")
        self.assert_outcome(DONE)
        self.assertEqual(self.contents("1.csv"), b"a\r\n")


class folder_outside_gbk(program_in_a_folder):
    """The run directory's name holds a Korean character, which GBK lacks."""

    folder = "표"

    def test_converts(self):
        directory = self.window["directory"]
        self.assertTrue(directory.endswith("\\" + self.run.name + "\\"), directory)
        self.put("1.txt", gbk("甲|乙\r\n"))
        self.type_separator("|")
        self.click_generate()
        self.assert_outcome(DONE)
        self.assertEqual(self.contents("1.csv"), gbk("甲,乙\r\n"))


class out_of_memory(program_in_a_folder):
    """A test build in which no allocation may take more than 64 MiB."""

    executable = "TXT2CSV_SMALL_MEMORY_EXE"

    def test_reported_and_the_old_table_kept(self):
        self.put("1.txt", b'"' * (100 << 20))  # one field, to be quoted whole
        self.put("1.csv", b"old\r\n")
        self.click_generate()
        box = desktop.probe("message-box", "txt2csv.exe", 30000, "press")
        self.assertEqual(box["title"], "错误")
        self.assertEqual(box["icon"], "error")
        (text,) = box["texts"]
        self.assertRegex(text, r"^运行时出错!\r\n\r\n错误信息：分配 [1-9][0-9]{7,} 字节内存失败!\r\n$")
        self.assertEqual(ended_with(self.started), 255)
        self.assertEqual(self.contents("1.csv"), b"old\r\n")
        self.assertEqual(self.entries(), ["1.csv", "1.txt", "txt2csv.exe"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
