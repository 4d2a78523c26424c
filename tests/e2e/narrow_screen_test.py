#!/usr/bin/env python3
"""The main window on a screen narrower than itself: centred all the same,
its left edge off the screen, everything else as on a wide screen."""

import unittest

from wine_desktop import GENERATE_BUTTON, SEPARATOR_BOX, Desktop, control


class narrow_screen(unittest.TestCase):
    def test_centred_with_its_left_edge_off_the_screen(self):
        with Desktop(641, 480) as desktop:
            _, handle = desktop.start_main_window()
            window = desktop.describe(handle)
            self.assertEqual(window["screen"], [641, 480])
            # (641 - 670) / 2 truncates to -14, (480 - 179) / 2 to 150.
            self.assertEqual(window["outer"], [-14, 150, -14 + 670, 150 + 179])
            self.assertEqual(control(window, SEPARATOR_BOX)["rect"], [104, 8, 144, 32])
            self.assertEqual(window["focus"], SEPARATOR_BOX)
            desktop.keys("Tab")
            window = desktop.wait_for(handle, lambda w: w["focus"] == GENERATE_BUTTON)
            self.assertEqual(window["focus"], GENERATE_BUTTON)


if __name__ == "__main__":
    unittest.main(verbosity=2)
