#!/usr/bin/env python3
"""Writes the small PNG files the resource tests build into the test program.
Run from this folder; the pixels are listed in resource_test.cpp."""
import struct
import zlib


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(width, height, colour_type, rows, extra=b""):
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + extra +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# 3 x 2 RGBA: red, green, blue / white half transparent, black, clear.
with open("rgba_3x2.png", "wb") as f:
    f.write(png(3, 2, 6, [[255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255],
                          [255, 255, 255, 128, 0, 0, 0, 255, 0, 0, 0, 0]]))
# 2 x 2 palette with a transparency chunk: entry 0 clear, entry 1 alpha 64, entry 2 opaque.
palette = chunk(b"PLTE", bytes([10, 20, 30, 40, 50, 60, 70, 80, 90]))
alphas = chunk(b"tRNS", bytes([0, 64]))
with open("palette_2x2.png", "wb") as f:
    f.write(png(2, 2, 3, [[0, 1], [2, 1]], palette + alphas))
# Seven bytes: too short to be an image at all.
with open("too_short.png", "wb") as f:
    f.write(b"\x89PNG\r\n\x1a")
