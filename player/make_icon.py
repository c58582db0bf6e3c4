#!/usr/bin/env python3
"""Writes the player's icon (reelpane.ico, 16 colours, 32x32): a white play triangle on
a dark blue film frame. Run by hand when the artwork changes; the .ico is kept in the
tree."""
import struct

PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
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


def ico(pixels, opaque):
    xor = b"".join(bytes((pixels[y][x] << 4) | pixels[y][x + 1] for x in range(0, 32, 2))
                   for y in range(31, -1, -1))
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
    return (struct.pack("<HHH", 0, 1, 1)
            + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 22) + image)


if __name__ == "__main__":
    import os
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "reelpane.ico"), "wb") as f:
        f.write(ico(*picture()))
