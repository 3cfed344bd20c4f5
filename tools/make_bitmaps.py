#!/usr/bin/env python3
"""Draws the stand-in resource library's bitmaps as small 24-bit BI_RGB BMP files.

Run it after adding a picture; its output is committed beside the resource script.
"""
import math
import os
import struct
import sys

FACE = (192, 192, 192)  # the button face grey that the pictures sit on


def write_bmp(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b), with y = 0 the top row."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - width * 3)
        rows.append(bytes(row))
    image = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    offset = 14 + len(header)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset))
        f.write(header)
        f.write(image)


def disc(colour, size=16):
    """A shaded disc on the button face: the state lights of the company list."""
    c = (size - 1) / 2
    radius = size / 2 - 1.5

    def pixel(x, y):
        d = math.hypot(x - c, y - c)
        if d > radius + 0.5:
            return FACE
        if d > radius - 0.5:
            return tuple(v // 2 for v in colour)  # dark rim
        light = max(0.0, 1 - math.hypot(x - c + 2, y - c + 2) / radius)
        return tuple(min(255, int(v + (255 - v) * light * 0.6)) for v in colour)

    return size, size, pixel


# The tick of a checked box: (x, y) inside the 16 x 16 picture.
TICK = {(4 + i, 7 + i) for i in range(3)} | {(6 + i, 9 - i) for i in range(5)}
TICK |= {(x, y + 1) for x, y in TICK}


def check_box(checked, enabled=True):
    """A sunken 13 x 13 check box on the button face, as Windows draws one; ticked or empty.
    A disabled box has a face-coloured inside."""
    left, top, right, bottom = 1, 1, 13, 13

    def pixel(x, y):
        if not (left <= x <= right and top <= y <= bottom):
            return FACE
        if x == left or y == top:
            return (128, 128, 128) if x < right and y < bottom else (255, 255, 255)
        if x == right or y == bottom:
            return (255, 255, 255)
        if x == left + 1 or y == top + 1:
            return (0, 0, 0) if x < right - 1 and y < bottom - 1 else FACE
        if x == right - 1 or y == bottom - 1:
            return FACE
        if checked and (x, y) in TICK:
            return (0, 0, 0) if enabled else (128, 128, 128)
        return (255, 255, 255) if enabled else FACE

    return 16, 16, pixel


PICTURES = {
    "bmpverde.bmp": disc((0, 160, 0)),
    "bmprojo.bmp": disc((208, 0, 0)),
    "bmpchecked.bmp": check_box(True),
    "bmpunchecked.bmp": check_box(False),
    "bmpnochk.bmp": check_box(False, enabled=False),
}


def main(folder):
    os.makedirs(folder, exist_ok=True)
    for name, (w, h, pixel) in PICTURES.items():
        write_bmp(os.path.join(folder, name), w, h, pixel)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "standins", "vdre", "bitmaps"))
