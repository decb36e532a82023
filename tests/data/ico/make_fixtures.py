#!/usr/bin/env python3
"""Makes the ICO and CUR fixtures. Deterministic; run from any folder:
    python3 tests/data/ico/make_fixtures.py
ImageMagick's convert writes the icons a common tool makes (several entries, a
32-bit entry with alpha, a 256 x 256 PNG entry); the variants no tool makes on
request (exact AND masks, cursors, damaged entries) are written byte by byte here.
The decoder tests compute the expected colours from the same rules."""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from netpbm import write_pam_rgba, write_ppm  # noqa: E402


# --- patterns shared with the tests ------------------------------------------------
def squares(x, y):
    """16 x 16, two colours: red squares of 4 on white."""
    return (255, 0, 0) if (x // 4 + y // 4) % 2 == 0 else (255, 255, 255)


def ramp(x, y):
    """32 x 32, many colours."""
    return (x * 8, y * 8, 128)


def big(x, y):
    """256 x 256 for the PNG entry."""
    return (x, y, 255 - x)


def fading(x, y):
    """16 x 16 blue square whose alpha falls from left to right; alpha 0 in column 0."""
    return (0, 0, 255, x * 17)


# --- files made by ImageMagick --------------------------------------------------------

def imagemagick_files():
    with tempfile.TemporaryDirectory() as tmp:
        t = lambda name: os.path.join(tmp, name)
        write_ppm(t("squares.ppm"), 16, 16, squares)
        write_ppm(t("ramp.ppm"), 32, 32, ramp)
        write_ppm(t("big.ppm"), 256, 256, big)
        subprocess.run(["convert", t("squares.ppm"), t("ramp.ppm"), t("big.ppm"),
                        os.path.join(HERE, "three_entries.ico")], check=True)
        write_pam_rgba(t("fading.pam"), 16, 16, fading)
        subprocess.run(["convert", t("fading.pam"), os.path.join(HERE, "alpha32.ico")],
                       check=True)


# --- files written byte by byte ---------------------------------------------------------
def row_bytes(width, bpp):
    return (width * bpp + 31) // 32 * 4


def pack_rows(width, height, bpp, index_rule):
    """Bottom row first, as icons store them; index_rule(x, y) with y = 0 the top."""
    out = bytearray()
    for file_row in range(height):
        y = height - 1 - file_row
        row = bytearray(row_bytes(width, bpp))
        for x in range(width):
            value = index_rule(x, y)
            if bpp == 8:
                row[x] = value
            elif bpp == 4:
                row[x // 2] |= value << (4 if x % 2 == 0 else 0)
            elif bpp == 1:
                row[x // 8] |= value << (7 - x % 8)
            elif bpp == 24:
                row[3 * x:3 * x + 3] = bytes(reversed(value))  # blue, green, red
            elif bpp == 32:
                r, g, b, a = value
                row[4 * x:4 * x + 4] = bytes((b, g, r, a))
        out += row
    return bytes(out)


def pack_mask(width, height, mask_rule, padding_set):
    """AND mask rows; with padding_set every bit past the last pixel is 1 as well."""
    rows = bytearray(pack_rows(width, height, 1, mask_rule))
    if padding_set:
        stride = row_bytes(width, 1)
        for row in range(height):
            for bit in range(width, stride * 8):
                rows[row * stride + bit // 8] |= 0x80 >> (bit % 8)
    return bytes(rows)


def bitmap_entry(width, height, bpp, palette, pixel_rule, mask_rule, padding_set=False):
    """Bitmap header, palette (red-green-blue triples), pixels and AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bpp, 0, 0, 0, 0,
                         len(palette), 0)
    body = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    body += pack_rows(width, height, bpp, pixel_rule)
    body += pack_mask(width, height, mask_rule, padding_set)
    return header + body


def directory(kind, entries):
    """entries: (width byte, height byte, planes or hot-spot x, bpp or hot-spot y, data)."""
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    for (w, h, planes, bpp, data) in entries:
        out += struct.pack("<BBBBHHII", w, h, 0, 0, planes, bpp, len(data), offset)
        offset += len(data)
    return out + b"".join(e[4] for e in entries)


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


FOUR = [(200, 30, 40), (20, 160, 60), (10, 20, 220), (250, 240, 10)]


def written_files():
    # 8-bit, every mask byte 0xFF, row padding included: drawn as its negative.
    write("mask_all_set.ico", directory(1, [(8, 4, 1, 8, bitmap_entry(
        8, 4, 8, FOUR, lambda x, y: (x + y) % 4, lambda x, y: 1, padding_set=True))]))
    # 24-bit, every mask byte 0xFF.
    write("mask_all_set_24.ico", directory(1, [(3, 2, 1, 24, bitmap_entry(
        3, 2, 24, [], lambda x, y: (10 * x, 100 + y, 200), lambda x, y: 1,
        padding_set=True))]))
    # 8-bit, every pixel's mask bit set but the row padding bytes 0: not a negative,
    # every pixel transparent.
    write("mask_pixels_set.ico", directory(1, [(8, 4, 1, 8, bitmap_entry(
        8, 4, 8, FOUR, lambda x, y: (x + y) % 4, lambda x, y: 1))]))
    # 8-bit 4 x 2 whose directory says 16 x 16: the bitmap header's size holds.
    write("directory_size_wrong.ico", directory(1, [(16, 16, 1, 8, bitmap_entry(
        4, 2, 8, FOUR, lambda x, y: (x + 2 * y) % 4, lambda x, y: 0))]))
    # 4-bit, masked pixels share index 2 with visible ones; indexes 6 to 15 unused.
    six = FOUR + [(90, 90, 90), (0, 0, 0)]
    write("mask_partial_4bit.ico", directory(1, [(6, 4, 1, 4, bitmap_entry(
        6, 4, 4, six, lambda x, y: (x + y) % 6 if x != 0 else 2,
        lambda x, y: 1 if x == 0 else 0))]))
    # 24-bit, every masked pixel magenta, no visible one.
    write("mask_one_color_24.ico", directory(1, [(4, 4, 1, 24, bitmap_entry(
        4, 4, 24, [], lambda x, y: (255, 0, 255) if y == 0 else (x * 60, y * 60, 7),
        lambda x, y: 1 if y == 0 else 0))]))
    # 24-bit, masked pixels of two colours.
    write("mask_mixed_24.ico", directory(1, [(4, 4, 1, 24, bitmap_entry(
        4, 4, 24, [], lambda x, y: (x * 60, y * 60, 7),
        lambda x, y: 1 if y == 0 else 0))]))
    # 1-bit, both colours visible, masked pixels black: no index is free for them.
    write("mask_full_palette_1bit.ico", directory(1, [(8, 2, 1, 1, bitmap_entry(
        8, 2, 1, [(0, 0, 0), (255, 255, 255)], lambda x, y: x % 2,
        lambda x, y: 1 if (x == 0 and y == 0) else 0))]))
    # 32-bit whose alpha bytes are all 0: the mask alone says what is transparent.
    write("alpha_zero_32.ico", directory(1, [(2, 2, 1, 32, bitmap_entry(
        2, 2, 32, [], lambda x, y: (40 + 100 * x, 50 + 100 * y, 60, 0),
        lambda x, y: 1 if (x, y) == (1, 1) else 0))]))
    # Cursor: hot spot (1, 1) in the planes and bit-count fields.
    write("arrow.cur", directory(2, [(2, 2, 1, 1, bitmap_entry(
        2, 2, 24, [], lambda x, y: ((0, 0, 0), (255, 255, 255))[(x + y) % 2],
        lambda x, y: 0))]))
    # A 256 x 256 bitmap entry (width and height bytes 0) holding no PNG.
    write("bitmap_256.ico", directory(1, [(0, 0, 1, 1, bitmap_entry(
        256, 256, 1, [(0, 0, 0), (0, 0, 255)], lambda x, y: 1 if x == y else 0,
        lambda x, y: 0))]))
    # A PNG entry whose image data is damaged.
    png = b"\x89PNG\r\n\x1a\n"
    ihdr = struct.pack(">IIBBBBB", 4, 4, 8, 2, 0, 0, 0)
    png += struct.pack(">I", 13) + b"IHDR" + ihdr + struct.pack(">I", zlib.crc32(b"IHDR" + ihdr))
    idat = b"\x00\x01\x02 not zlib data"
    png += struct.pack(">I", len(idat)) + b"IDAT" + idat + struct.pack(">I", zlib.crc32(b"IDAT" + idat))
    png += struct.pack(">I", 0) + b"IEND" + struct.pack(">I", zlib.crc32(b"IEND"))
    write("broken_png_entry.ico", directory(1, [(0, 0, 1, 32, png)]))


if __name__ == "__main__":
    imagemagick_files()
    written_files()
