"""The .ico writer of the artwork scripts: one 32x32 picture in the 16 standard
colours, with its transparency mask."""
import struct

PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def ico(pixels, opaque):
    """pixels[y][x] = palette index, opaque[y][x] = bool; rows top-down."""
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
