#!/usr/bin/env python3
"""Draws the program's two icons: a random-dot field with a raised square hidden in it
(a tiny stereogram: the square's dots repeat at a shorter distance) and the two guide
marks above it. Writes app/icons/parallux.ico (32 and 48 pixels) and
app/icons/parallux_small.ico (16 pixels). Run from the repository root."""
import struct


def draw(size):
    state = 12345
    period = max(4, size // 4)
    shift = max(1, period // 4)
    top = size // 5
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for y in range(size):
        row = []
        for x in range(size):
            inside = size // 3 <= x < size - size // 5 and size * 2 // 5 <= y < size * 4 // 5
            local = period - (shift if inside else 0)
            if x >= local:
                row.append(row[x - local])
            else:
                state = (state * 214013 + 2531011) & 0xFFFFFFFF
                v = (state >> 16) & 0xFF
                # Blue-tinted dots: the program's colour mode, toned down.
                row.append((min(255, v // 2 + 96), v // 2 + 32, v // 3 + 16, 255))
        pixels[y] = row
    # Guide marks and a dark frame.
    mark_w = max(2, size // 8)
    mark_h = max(2, size // 10)
    for cx in (size // 2 - period // 2, size // 2 + period // 2):
        for y in range(top - mark_h, top):
            for x in range(cx - mark_w // 2, cx - mark_w // 2 + mark_w):
                if 0 <= x < size and 0 <= y < size:
                    pixels[y][x] = (0, 0, 0, 255)
    for i in range(size):
        for (x, y) in ((i, 0), (i, size - 1), (0, i), (size - 1, i)):
            pixels[y][x] = (40, 30, 20, 255)
    return pixels


def image(size):
    pixels = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes(p) for row in reversed(pixels) for p in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = b'\0' * (mask_stride * size)
    return header + xor + mask


def write_icon(path, sizes):
    images = [image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


write_icon('app/icons/parallux.ico', [32, 48])
write_icon('app/icons/parallux_small.ico', [16])
