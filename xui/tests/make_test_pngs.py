#!/usr/bin/env python3
"""Writes the small PNG fixtures of the toolkit tests (RGBA, no filtering). Run once; the PNGs are committed."""
import struct
import zlib


def png(path, width, height, pixel):
    rows = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) +
                  chunk(b"IEND", b""))


RED, GREEN, BLUE, CLEAR = (255, 0, 0, 255), (0, 255, 0, 255), (0, 0, 255, 255), (0, 0, 0, 0)


def nine(x, y):
    # 8 x 8 frame for insets 3: top-left corner transparent, the other corners red, edges green, centre blue.
    col = 0 if x < 3 else (1 if x < 5 else 2)
    row = 0 if y < 3 else (1 if y < 5 else 2)
    if (col, row) == (0, 0):
        return CLEAR
    if col != 1 and row != 1:
        return RED
    if col == 1 and row == 1:
        return BLUE
    return GREEN


png("background.png", 40, 30, lambda x, y: (32, 64, 128, 255))
png("nine.png", 8, 8, nine)
png("yellow.png", 4, 4, lambda x, y: (255, 255, 0, 255))
png("red.png", 4, 4, lambda x, y: RED)
png("green.png", 4, 4, lambda x, y: GREEN)
# Left half red, right half blue: shows which columns a part takes.
png("halves.png", 8, 2, lambda x, y: RED if x < 4 else BLUE)
