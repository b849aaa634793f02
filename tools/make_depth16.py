#!/usr/bin/env python3
"""Writes a smooth 16-bit grey depth map (rolling ground and a sphere) as a PNG, for
measuring how parallux-still reads large 16-bit depth and writes what it makes of it.

    tools/make_depth16.py WIDTH HEIGHT OUT.png
"""
import math
import struct
import sys
import zlib


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def row(y, width, height):
    out = bytearray(b"\0")  # filter: none
    radius = height * 0.35
    for x in range(width):
        fx, fy = x / width, y / height
        v = 0.25 + 0.1 * math.sin(fx * 9) * math.cos(fy * 7) + 0.05 * math.sin((fx + fy) * 23)
        dx, dy = (x - width / 2) / radius, (y - height / 2) / radius
        if dx * dx + dy * dy < 1:
            v = max(v, 0.35 + 0.6 * math.sqrt(1 - dx * dx - dy * dy))
        out += struct.pack(">H", round(min(1.0, v) * 65535))
    return bytes(out)


def main():
    width, height, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    pixels = zlib.compressobj(6)
    idat = b"".join(pixels.compress(row(y, width, height)) for y in range(height)) + pixels.flush()
    header = struct.pack(">IIBBBBB", width, height, 16, 0, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", idat) + chunk(b"IEND", b""))


main()
