#!/usr/bin/env python3
"""Draws the program's icon: 32 x 32, 32 bits per pixel, fully opaque, a
diagonal gradient from cyan through violet and pink to orange with TOOL in
dark blue capitals across its middle. Writes the .ico file named on the
command line (res/txt2csv.ico is its committed output)."""

import struct
import sys

SIZE = 32
STOPS = [(0, 255, 255), (148, 0, 211), (255, 105, 180), (255, 140, 0)]  # cyan, violet, pink, orange
DARK_BLUE = (0, 0, 128)

# Capitals 6 pixels wide and 10 high, strokes 2 pixels thick.
GLYPHS = {
    "T": ["######", "######", "..##..", "..##..", "..##..", "..##..", "..##..", "..##..", "..##..", "..##.."],
    "O": [".####.", "######", "##..##", "##..##", "##..##", "##..##", "##..##", "##..##", "######", ".####."],
    "L": ["##....", "##....", "##....", "##....", "##....", "##....", "##....", "##....", "######", "######"],
}
WORD = "TOOL"
GAP = 2


def gradient(x, y):
    """The colour at a pixel: along the diagonal from the top left corner."""
    position = (x + y) / (2 * (SIZE - 1)) * (len(STOPS) - 1)
    index = min(int(position), len(STOPS) - 2)
    share = position - index
    low, high = STOPS[index], STOPS[index + 1]
    return tuple(round(a + (b - a) * share) for a, b in zip(low, high))


def pixels():
    """Rows from the top, each a list of (red, green, blue)."""
    image = [[gradient(x, y) for x in range(SIZE)] for y in range(SIZE)]
    width = len(WORD) * 6 + (len(WORD) - 1) * GAP
    left, top = (SIZE - width) // 2, (SIZE - 10) // 2
    for number, letter in enumerate(WORD):
        for row, line in enumerate(GLYPHS[letter]):
            for column, mark in enumerate(line):
                if mark == "#":
                    image[top + row][left + number * (6 + GAP) + column] = DARK_BLUE
    return image


def icon_file(image):
    """One 32-bit image in an .ico: a bitmap of twice the height (colour,
    then an all-clear AND mask), rows from the bottom."""
    colour = b"".join(bytes((b, g, r, 255)) for row in reversed(image) for r, g, b in row)
    mask = bytes(SIZE * SIZE // 8)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    bitmap = header + colour + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(bitmap), 6 + 16)
    return directory + entry + bitmap


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: draw_icon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as output:
        output.write(icon_file(pixels()))
