#!/usr/bin/env python3
"""Writes the sample depth picture of the Windows package: an 8-bit grey BMP of the
board's 960 x 320, brighter standing out further (a stepped pyramid, a dome and a ring).

usage: make_sample_depth.py OUT.bmp
"""
import math
import struct
import sys

WIDTH, HEIGHT = 960, 320


def depth(x, y):
    # A pyramid of four steps on the left.
    d = max(abs(x - 170), abs(y - 160))
    if d < 120:
        return 60 + 40 * ((119 - d) // 30)
    # A dome in the middle, smooth, so that its curve shows.
    r = math.hypot(x - 480, y - 160)
    if r < 120:
        return int(40 + 200 * math.sqrt(1 - (r / 120) ** 2))
    # A ring on the right, standing out evenly.
    r = math.hypot(x - 790, y - 160)
    if 60 < r < 115:
        return 180
    return 0


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    stride = (WIDTH + 3) & ~3
    palette = b"".join(bytes((g, g, g, 0)) for g in range(256))
    offset = 14 + 40 + len(palette)
    size = offset + stride * HEIGHT
    rows = []
    for y in reversed(range(HEIGHT)):  # BMP rows go bottom up
        row = bytes(depth(x, y) for x in range(WIDTH))
        rows.append(row + bytes(stride - WIDTH))
    with open(sys.argv[1], "wb") as out:
        out.write(struct.pack("<2sIHHI", b"BM", size, 0, 0, offset))
        out.write(struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, stride * HEIGHT,
                              2835, 2835, 256, 256))
        out.write(palette)
        out.write(b"".join(rows))


if __name__ == "__main__":
    main()
