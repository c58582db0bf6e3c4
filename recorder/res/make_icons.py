#!/usr/bin/env python3
"""Writes the recorder's two icons (16 colours, 32x32): the application icon
(korvane.ico, a record dot in a frame) and the selection cross-hair (crosshair.ico).
Run by hand when the artwork changes; the .ico files are kept in the tree."""
import struct

PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def ico(pixels, opaque, hotspot=None):
    """pixels[y][x] = palette index, opaque[y][x] = bool; rows top-down."""
    xor = b""
    for y in range(31, -1, -1):
        row = pixels[y]
        xor += bytes((row[x] << 4) | row[x + 1] for x in range(0, 32, 2))
    mask = b""
    for y in range(31, -1, -1):
        bits = 0
        for x in range(32):
            if not opaque[y][x]:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + xor + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4,
                                                       len(image), 22) + image


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
