#!/usr/bin/env python3
"""Draws the program's icon and writes it as a .ico file.

The icon holds a 32 x 32 and a 16 x 16 image of 256 colours: a rounded
blue tile with a yellow sound wave across it. Each image is drawn with 4 x 4
supersampling, mapped onto a fixed palette (a 6 x 6 x 6 colour cube and
40 greys), and stored as a bottom-up 8-bit DIB with a 1-bit transparency
mask, which is the layout every version of Windows reads.

Usage: make_icon.py OUTPUT.ico
"""

import math
import struct
import sys

SUPERSAMPLING = 4
TILE = (0, 102, 153)
WAVE = (255, 200, 40)


def palette():
    """The 256 colours every image uses, as (r, g, b)."""
    levels = [0, 51, 102, 153, 204, 255]
    cube = [(r, g, b) for r in levels for g in levels for b in levels]
    greys = [(round(i * 255 / 41),) * 3 for i in range(1, 41)]
    return cube + greys


def inside_tile(x, y, size):
    """Whether point (x, y), in pixels, lies on the rounded tile."""
    radius = size * 0.22
    cx = min(max(x, radius), size - radius)
    cy = min(max(y, radius), size - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius**2


def wave_distance(x, y, size):
    """Vertical distance from (x, y) to the wave: one and a half periods of a
    sine whose amplitude swells towards the middle."""
    t = x / size
    amplitude = size * 0.28 * math.sin(math.pi * t)
    centre = size / 2 + amplitude * math.sin(3 * math.pi * t)
    return abs(y - centre)


def draw(size):
    """Returns rows of (colour, coverage) from the top, colour as floats."""
    stroke = max(2.0, size / 10)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            colour = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(SUPERSAMPLING):
                for sx in range(SUPERSAMPLING):
                    x = px + (sx + 0.5) / SUPERSAMPLING
                    y = py + (sy + 0.5) / SUPERSAMPLING
                    if not inside_tile(x, y, size):
                        continue
                    covered += 1
                    sample = TILE
                    if wave_distance(x, y, size) <= stroke / 2:
                        sample = WAVE
                    colour = [c + s for c, s in zip(colour, sample)]
            samples = SUPERSAMPLING * SUPERSAMPLING
            if covered:
                colour = [c / covered for c in colour]
            row.append((colour, covered / samples))
        rows.append(row)
    return rows


def nearest(colours, colour):
    return min(
        range(len(colours)),
        key=lambda i: sum((c - p) ** 2 for c, p in zip(colours[i], colour)),
    )


def dib(size, colours):
    """One icon image: header, palette, 8-bit pixels, 1-bit mask."""
    rows = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 8, 0, 0, 0, 0, 256, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    pixels = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):  # DIBs are stored bottom-up
        mask_row = bytearray(mask_stride)
        for px, (colour, coverage) in enumerate(row):
            transparent = coverage < 0.5
            pixels.append(0 if transparent else nearest(colours, colour))
            if transparent:
                mask_row[px // 8] |= 0x80 >> (px % 8)
        pixels.extend(b"\0" * ((4 - size % 4) % 4))
        mask.extend(mask_row)
    return header + table + bytes(pixels) + bytes(mask)


def icon(sizes):
    colours = palette()
    images = [dib(size, colours) for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, image in zip(sizes, images):
        # Width and height 0 would mean 256; colour count 0 means 256 colours.
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as out:
        out.write(icon([32, 16]))


if __name__ == "__main__":
    main()
