#!/usr/bin/env python3
"""Writes the recorder's two icons (16 colours, 32x32): the application icon
(korvane.ico, a record dot in a frame) and the selection cross-hair (crosshair.ico).
Run by hand when the artwork changes; the .ico files are kept in the tree."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from icon_file import ico  # noqa: E402


def app_icon():
    px = [[8] * 32 for _ in range(32)]
    op = [[True] * 32 for _ in range(32)]
    for y in range(32):
        for x in range(32):
            if 2 <= x <= 29 and 4 <= y <= 27:
                px[y][x] = 0 if (x in (2, 29) or y in (4, 27)) else 7
            else:
                op[y][x] = False
            if (x - 15.5) ** 2 + (y - 15.5) ** 2 <= 49:
                px[y][x] = 9
    return ico(px, op)


def crosshair():
    px = [[0] * 32 for _ in range(32)]
    op = [[False] * 32 for _ in range(32)]
    for i in range(32):
        if abs(i - 15) > 2:
            op[15][i] = op[i][15] = True
    return ico(px, op)


open("korvane.ico", "wb").write(app_icon())
open("crosshair.ico", "wb").write(crosshair())
