#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The zandrel developers
# SPDX-License-Identifier: MIT
"""Build-time tool: turns icon 135's artwork (the XPM) into a Windows .ico, or into the PNGs of
the hicolor icon theme for Linux. Plain Python, run on the build machine, so that a cross build
runs nothing built for its target.

The .ico: the 32 x 32 image keeps the artwork's 16 colours. Larger renditions enlarge the same pixels
(nearest neighbour, so pixel art stays sharp at 150 % and 200 %), stored as PNG, which Windows
reads inside an icon since Vista and which keeps them a fraction of their size as bitmaps; a
16 x 16 one averages each 2 x 2 block for the small icon.

The hicolor sizes: whole-number enlargements keep the pixels sharp; every other size (16, 24, 48)
averages the artwork's pixels over the area each new pixel covers, transparency included.
"""
import os
import re
import struct
import sys
import zlib


def read_xpm(path):
    strings = re.findall(r'"((?:[^"\\]|\\.)*)"', open(path, encoding="utf-8").read())
    width, height, ncolors, cpp = map(int, strings[0].split()[:4])
    colours = {}
    for line in strings[1:1 + ncolors]:
        key, fields = line[:cpp], line[cpp:].split()
        value = fields[fields.index("c") + 1]
        colours[key] = None if value.lower() == "none" else tuple(
            int(value[i:i + 2], 16) for i in (1, 3, 5))
    rows = strings[1 + ncolors:1 + ncolors + height]
    return [[colours[row[x * cpp:(x + 1) * cpp]] for x in range(width)] for row in rows]


def mask_rows(pixels):
    """The AND mask, 1 where transparent, rows padded to 32 bits, bottom-up."""
    out = b""
    for row in reversed(pixels):
        stride = (len(row) + 31) // 32 * 4
        data = bytearray(stride)
        for x, px in enumerate(row):
            if px is None:
                data[x // 8] |= 0x80 >> (x % 8)
        out += bytes(data)
    return out


def header(size, bits, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours, 0)


def image_4bit(pixels):
    palette = sorted({px for row in pixels for px in row if px is not None})
    if len(palette) > 16:
        sys.exit("makeIcons: the artwork has more than 16 colours")
    palette += [(0, 0, 0)] * (16 - len(palette))
    body = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    for row in reversed(pixels):
        indices = [palette.index(px) if px is not None else 0 for px in row]
        line = bytes((indices[x] << 4) | indices[x + 1] for x in range(0, len(indices), 2))
        body += line + b"\0" * (-len(line) % 4)
    return header(len(pixels), 4, 16) + body + mask_rows(pixels), 16, 4


def image_32bit(pixels):
    body = b"".join(struct.pack("<BBBB", *(px[2], px[1], px[0], 255) if px else (0, 0, 0, 0))
                    for row in reversed(pixels) for px in row)
    return header(len(pixels), 32) + body + mask_rows(pixels), 0, 32


def image_png(pixels):
    """RGBA, no stored time or other chunk that would change between builds."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    size = len(pixels)
    raw = b"".join(b"\0" + b"".join(bytes(rgba(px)) for px in row) for row in pixels)
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    return png, 0, 32


def rgba(px):
    return (0, 0, 0, 0) if px is None else px if len(px) == 4 else (*px, 255)


def spans(n, size, t):
    """The source pixels under new pixel t of size, with their overlaps (in 1/size of a pixel)."""
    start, end = t * n, (t + 1) * n
    return [(s, min(end, (s + 1) * size) - max(start, s * size)) for s in range(start // size, (end - 1) // size + 1)]


def resampled(pixels, size):
    """Each new pixel the area-weighted mean of the pixels it covers, colours weighted by their
    opacity; in whole numbers, so that every build gives the same bytes."""
    n = len(pixels)
    out = []
    for y in range(size):
        row = []
        for x in range(size):
            alpha, colour = 0, [0, 0, 0]
            for sy, wy in spans(n, size, y):
                for sx, wx in spans(n, size, x):
                    px = pixels[sy][sx]
                    if px is not None:
                        alpha += wy * wx
                        colour = [c + wy * wx * v for c, v in zip(colour, px)]
            row.append(None if alpha == 0 else (*((c + alpha // 2) // alpha for c in colour), (alpha * 255 + n * n // 2) // (n * n)))
        out.append(row)
    return out


def scaled(pixels, size):
    n = len(pixels)
    return [[pixels[y * n // size][x * n // size] for x in range(size)] for y in range(size)]


def halved(pixels):
    out = []
    for y in range(0, len(pixels), 2):
        row = []
        for x in range(0, len(pixels[y]), 2):
            block = [pixels[y + dy][x + dx] for dy in (0, 1) for dx in (0, 1)]
            solid = [px for px in block if px is not None]
            row.append(None if len(solid) < 2 else tuple(
                sum(px[i] for px in solid) // len(solid) for i in range(3)))
        out.append(row)
    return out


def write_ico(art, path):
    images = [(16, image_32bit(halved(art))), (32, image_4bit(art))]
    images += [(size, image_png(scaled(art, size))) for size in (48, 64, 96)]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, blobs = b"", b""
    for size, (blob, colours, bits) in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits,
                               len(blob), offset + len(blobs))
        blobs += blob
    with open(path, "wb") as out:
        out.write(directory + entries + blobs)


def write_hicolor(art, folder, name):
    for size in (16, 24, 32, 48, 64, 128, 256):
        os.makedirs(f"{folder}/hicolor/{size}x{size}/apps", exist_ok=True)
        with open(f"{folder}/hicolor/{size}x{size}/apps/{name}.png", "wb") as out:
            out.write(image_png(resampled(art, size))[0])


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "ico":
        write_ico(read_xpm(sys.argv[2]), sys.argv[3])
    elif len(sys.argv) == 5 and sys.argv[1] == "hicolor":
        write_hicolor(read_xpm(sys.argv[2]), sys.argv[3], sys.argv[4])
    else:
        sys.exit("usage: makeIcons.py ico ARTWORK.xpm OUTPUT.ico | hicolor ARTWORK.xpm FOLDER NAME")


main()
