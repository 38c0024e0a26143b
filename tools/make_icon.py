#!/usr/bin/env python3
"""Turns the program's icon, drawn as text (src/resources/icon.txt), into a .ico file of 16-colour
images: each square block of rows is one image, a hex digit a palette colour, '.' transparent.

Usage: make_icon.py ICON.txt OUT.ico
"""

import struct
import sys

# The 16 colours every Windows display has.
PALETTE = [0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
           0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF]


def images(text):
    rows = [line for line in text.splitlines() if not line.startswith("#")]
    blocks, block = [], []
    for row in rows + [""]:
        if row.strip():
            block.append(row.strip())
        elif block:
            if any(len(line) != len(block) for line in block):
                sys.exit(f"an image of {len(block)} rows must have as many columns")
            blocks.append(block)
            block = []
    return blocks


def padded(row):
    return row + b"\0" * (-len(row) % 4)


def bitmap(pixels):
    """A BITMAPINFOHEADER, the palette, the colour bits and the transparency mask, bottom row
    first as Windows stores them."""
    size = len(pixels)
    colours, mask = b"", b""
    for line in reversed(pixels):
        indexes = [0 if c == "." else int(c, 16) for c in line]
        colours += padded(bytes(a << 4 | b for a, b in zip(indexes[::2], indexes[1::2])))
        bits = "".join("1" if c == "." else "0" for c in line)
        mask += padded(bytes(int(bits[i:i + 8], 2) for i in range(0, size, 8)))
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, len(colours + mask), 0, 0,
                         16, 0)
    palette = b"".join(struct.pack("<BBBB", c & 0xFF, c >> 8 & 0xFF, c >> 16, 0) for c in PALETTE)
    return header + palette + colours + mask


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding="ascii") as source:
        blocks = images(source.read())
    bitmaps = [bitmap(block) for block in blocks]
    offset = 6 + 16 * len(bitmaps)
    out = struct.pack("<HHH", 0, 1, len(bitmaps))
    for block, data in zip(blocks, bitmaps):
        out += struct.pack("<BBBBHHII", len(block), len(block), 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(sys.argv[2], "wb") as target:
        target.write(out + b"".join(bitmaps))


if __name__ == "__main__":
    main()
