#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes HAND-M.CUR, the pointing-hand cursor shown over the buttons (32x32, hotspot at the
fingertip). Run once; the result is committed under resources/."""
import struct
import sys

ART = [
    "      ##        ",
    "     #..#       ",
    "     #..#       ",
    "     #..#       ",
    "     #..###     ",
    "     #..#..###  ",
    "  ## #..#..#..# ",
    " #..##..#..#..##",
    " #...#........#.#",
    "  #...........#.#",
    "  #.............#",
    "   #............#",
    "   #...........# ",
    "    #..........# ",
    "    #.........#  ",
    "     #........#  ",
    "     ##########  ",
]

def main(path):
    size = 32
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for y, row in enumerate(ART):
        for x, ch in enumerate(row):
            if ch == "#":
                pixels[y + 2][x + 4] = (0, 0, 0, 255)
            elif ch == ".":
                pixels[y + 2][x + 4] = (255, 255, 255, 255)
    xor = bytearray()
    for y in reversed(range(size)):  # bottom-up rows
        for (r, g, b, a) in pixels[y]:
            xor += bytes((b, g, r, a))
    and_mask = bytearray()
    for y in reversed(range(size)):
        bits = 0
        row = bytearray()
        for x in range(size):
            bits = (bits << 1) | (0 if pixels[y][x][3] else 1)
            if x % 8 == 7:
                row.append(bits)
                bits = 0
        and_mask += row  # 32 px = 4 bytes, already 4-byte aligned
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    hotspot = (4 + 6, 2 + 0)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)

if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "HAND-M.CUR")
