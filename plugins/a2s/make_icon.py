#!/usr/bin/env python3
"""Writes a2s_icon.c: the plug-in's 16x16 game-type image, an orange disc
with a dark "A", as PNG bytes. Run it again after changing the drawing."""
import os
import struct
import zlib

SIZE = 16
ORANGE = (240, 128, 32, 255)
DARK = (40, 36, 32, 255)
CLEAR = (0, 0, 0, 0)
GLYPH = [  # 7 x 9, centred
    "..###..",
    ".##.##.",
    "##...##",
    "##...##",
    "#######",
    "##...##",
    "##...##",
    "##...##",
    "##...##",
]


def pixel(x, y):
    gx, gy = x - 4, y - 3
    if 0 <= gy < len(GLYPH) and 0 <= gx < len(GLYPH[0]) and GLYPH[gy][gx] == "#":
        return DARK
    dx, dy = x + 0.5 - SIZE / 2, y + 0.5 - SIZE / 2
    return ORANGE if dx * dx + dy * dy <= (SIZE / 2) ** 2 else CLEAR


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png():
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(SIZE)) for y in range(SIZE))
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9))
            + chunk(b"IEND", b""))


def main():
    data = png()
    lines = [", ".join("0x%02X" % b for b in data[i:i + 16]) + "," for i in range(0, len(data), 16)]
    source = (
        "/* The game-type image: a 16x16 PNG, written by make_icon.py. */\n"
        "#include \"games/plugin.h\"\n\n"
        "SKARVEL_EXPORT const unsigned char MAINICON[%d] = {\n" % len(data)
        + "".join("    " + line + "\n" for line in lines)
        + "};\n")
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "a2s_icon.c"), "w") as out:
        out.write(source)


main()
