#!/usr/bin/env python3
"""Writes the player's icon (reelpane.ico, 16 colours, 32x32): a white play triangle on
a dark blue film frame. Run by hand when the artwork changes; the .ico is kept in the
tree."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from icon_file import ico  # noqa: E402
DARK_BLUE, WHITE, GREY = 4, 15, 8


def picture():
    pixels = [[0] * 32 for _ in range(32)]
    opaque = [[False] * 32 for _ in range(32)]
    for y in range(4, 28):
        for x in range(2, 30):
            opaque[y][x] = True
            edge = y < 7 or y > 24
            pixels[y][x] = GREY if edge and (x % 4 == 1) else DARK_BLUE
    for y in range(9, 23):  # play triangle, tip to the right
        half = min(y - 9, 22 - y)
        for x in range(11, 12 + 2 * half):
            pixels[y][x] = WHITE
    return pixels, opaque


if __name__ == "__main__":
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "reelpane.ico"), "wb") as f:
        f.write(ico(*picture()))
