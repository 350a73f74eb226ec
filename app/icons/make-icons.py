#!/usr/bin/env python3
"""Draws the window icon at 16, 20 and 24 pixels as PNG files beside this script.

The picture: a blue rounded tile holding a white page with three list lines, the
first of them marked by an orange dot, a type list as the window shows it.
Drawn at 8x and averaged down, so the edges are smooth at every size.
Run it after changing the picture and commit the PNG files with it.
"""
import struct
import zlib
from pathlib import Path

SS = 8  # supersampling factor

BLUE = (31, 78, 140, 255)
WHITE = (250, 250, 250, 255)
LINE = (70, 110, 170, 255)
ORANGE = (236, 130, 30, 255)
CLEAR = (0, 0, 0, 0)


def inside_rounded(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x < x1 and y0 <= y < y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def colour_at(u, v):
    """Colour of the point (u, v) in the unit square."""
    if (u - 0.30) ** 2 + (v - 0.34) ** 2 <= 0.085 ** 2:
        return ORANGE
    if 0.22 <= u < 0.78 and 0.16 <= v < 0.86:
        for top in (0.30, 0.50, 0.68):
            left = 0.43 if top == 0.30 else 0.30
            if left <= u < 0.70 and top <= v < top + 0.08:
                return LINE
        return WHITE
    if inside_rounded(u, v, 0.02, 0.02, 0.98, 0.98, 0.18):
        return BLUE
    return CLEAR


def render(size):
    rows = []
    n = size * SS
    for py in range(size):
        row = bytearray([0])  # filter type none
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SS):
                for sx in range(SS):
                    c = colour_at((px * SS + sx + 0.5) / n, (py * SS + sy + 0.5) / n)
                    a = c[3]
                    acc[0] += c[0] * a
                    acc[1] += c[1] * a
                    acc[2] += c[2] * a
                    acc[3] += a
            alpha = acc[3] / (SS * SS)
            if acc[3]:
                rgb = [round(acc[i] / acc[3]) for i in range(3)]
            else:
                rgb = [0, 0, 0]
            row += bytes(rgb + [round(alpha)])
        rows.append(bytes(row))
    return b"".join(rows)


def png(size, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b""))


def main():
    folder = Path(__file__).resolve().parent
    for size in (16, 20, 24):
        (folder / f"vantrel-{size}.png").write_bytes(png(size, render(size)))


if __name__ == "__main__":
    main()
