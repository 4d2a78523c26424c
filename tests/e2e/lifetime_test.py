#!/usr/bin/env python3
"""The program's life: how it ends, where it runs, copies side by side, the
window that cannot be built, and what the executable carries."""

import os
import shutil
import unittest

from wine_desktop import (GENERATE_BUTTON, SEPARATOR_BOX, Desktop, control, ended_with, program,
                          windows_path)

desktop = None


def setUpModule():
    global desktop
    desktop = Desktop(1024, 768)
    desktop.__enter__()


def tearDownModule():
    desktop.__exit__(None, None, None)


def run_directory(name):
    """A directory of its own holding a copy of txt2csv.exe."""
    directory = desktop.scratch / name
    directory.mkdir(parents=True)
    shutil.copy(program("TXT2CSV_EXE"), directory / "txt2csv.exe")
    return directory


class ending(unittest.TestCase):
    def tearDown(self):
        desktop.stop_programs()

    def close_with(self, action):
        started, handle = desktop.start_main_window()
        action(desktop.describe(handle))
        self.assertEqual(ended_with(started), 0)
        self.assertEqual(desktop.main_windows(0), [])

    def test_closing_ends_with_exit_code_0(self):
        ways = {
            "Esc in the box": lambda window: desktop.keys("Escape"),
            "Esc on the button": lambda window: desktop.keys("Tab", "Escape"),
            "Alt+F4": lambda window: desktop.keys("alt+F4"),
            "the close box": lambda window: desktop.click(window["close_box"]),
            "Close on the system menu": lambda window: desktop.keys("alt+space", "c"),
        }
        for name, action in ways.items():
            with self.subTest(name):
                self.close_with(action)


class start_up(unittest.TestCase):
    def tearDown(self):
        desktop.stop_programs()

    def test_current_directory_is_the_run_directory(self):
        run = run_directory("run")
        elsewhere = desktop.scratch / "elsewhere"
        elsewhere.mkdir()
        desktop.start(run / "txt2csv.exe", cwd=elsewhere)
        (window,) = desktop.main_windows(1)
        self.assertEqual(desktop.describe(window["handle"])["directory"], windows_path(run) + "\\")

    def test_run_directory_longer_than_260_characters(self):
        run = run_directory("/".join(["long-directory-name-" + "x" * 80] * 3))
        self.assertGreater(len(windows_path(run)), 300)
        desktop.start(run / "txt2csv.exe")
        (window,) = desktop.main_windows(1)
        self.assertEqual(desktop.describe(window["handle"])["directory"], windows_path(run) + "\\")

    def test_run_from_the_root_of_a_drive(self):
        # The drive's root, not the drive's current directory, which "T:" alone names.
        root = run_directory("drive")
        (root / "deeper").mkdir()
        drive = desktop.prefix + "/dosdevices/t:"
        os.symlink(root, drive)
        self.addCleanup(os.remove, drive)
        desktop.start("T:\\txt2csv.exe", cwd=root / "deeper")
        (window,) = desktop.main_windows(1)
        self.assertEqual(desktop.describe(window["handle"])["directory"], "T:\\")

    def test_arguments_change_nothing(self):
        _, plain = desktop.start_main_window()
        expected = desktop.describe(plain)
        desktop.keys("Escape")
        desktop.main_windows(0)
        for arguments in (["/?"], ["--help"], ["-s", "|", "1.txt", "1.csv"]):
            with self.subTest(arguments=arguments):
                started, handle = desktop.start_main_window(*arguments)
                window = desktop.describe(handle)
                for key in ("title", "outer", "client", "style", "controls", "focus", "caret", "directory"):
                    self.assertEqual(window[key], expected[key], key)
                desktop.keys("Escape")
                self.assertEqual(ended_with(started), 0)

    def test_two_copies_side_by_side(self):
        first, first_window = desktop.start_main_window()
        desktop.keys("Tab")  # the first copy's focus to its button
        desktop.wait_for(first_window, lambda w: w["focus"] == GENERATE_BUTTON)
        second, second_window = desktop.start_main_window()
        self.assertNotEqual(desktop.describe(first_window)["pid"], desktop.describe(second_window)["pid"])

        # The second moves aside by its title bar; clicking the first's title
        # bar brings back its focus where it was.
        caption = desktop.describe(second_window)["caption"]
        desktop.drag(caption, (caption[0], caption[1] + 250))
        moved = desktop.wait_for(second_window, lambda w: w["outer"][1] != 294)
        self.assertEqual(moved["outer"][:2], [177, 294 + 250])
        self.assertEqual(moved["outer"][2] - moved["outer"][0], 670)
        self.assertTrue(moved["foreground"])
        desktop.click(desktop.describe(first_window)["caption"])
        window = desktop.wait_for(first_window, lambda w: w["foreground"])
        self.assertTrue(window["foreground"])
        self.assertEqual(window["focus"], GENERATE_BUTTON)

        # Each ends on its own.
        desktop.keys("Escape")
        self.assertEqual(ended_with(first), 0)
        self.assertIsNone(second.poll())
        desktop.click(desktop.describe(second_window)["close_box"])
        self.assertEqual(ended_with(second), 0)


class failure(unittest.TestCase):
    def tearDown(self):
        desktop.stop_programs()

    def test_window_that_cannot_be_built(self):
        started = desktop.start(program("TXT2CSV_WITHOUT_WINDOW_EXE"))
        image = program("TXT2CSV_WITHOUT_WINDOW_EXE").name
        box = desktop.probe("message-box", image, 20000, "press")
        self.assertEqual(box["title"], "错误")
        self.assertEqual(box["texts"], ["运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"])
        self.assertEqual(len(box["buttons"]), 1)
        self.assertEqual(box["icon"], "error")
        self.assertEqual(box["owner"], 0)
        self.assertFalse(box["program_windows"])
        self.assertEqual(ended_with(started), 255)  # -1


class executable(unittest.TestCase):
    def test_icon_manifest_and_version(self):
        resources = desktop.probe("resources", program("TXT2CSV_EXE"))
        self.assertEqual(resources["icon"], [32, 32, 32])
        self.assertEqual(resources["file_version"], "1.0.0.0")
        self.assertEqual(resources["product_version"], "1.0.0.0")
        manifest = resources["manifest"]
        self.assertIn('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', manifest)
        self.assertNotIn("dpiAware", manifest)
        self.assertNotIn("requestedExecutionLevel", manifest)


if __name__ == "__main__":
    unittest.main(verbosity=2)
