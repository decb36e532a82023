#!/usr/bin/env python3
"""Makes the BMP fixtures of the decoder tests. Deterministic: run it again and the
same bytes come out.

Every picture is drawn here from a rule that the tests repeat. Pictures that
ImageMagick can write are drawn into a PPM and converted by `convert`; the variants
no tool writes (run-length data with deltas and absolute runs, RLE4, 5-5-5 words,
32-bit alpha, top-down rows, a bare DIB) are written byte by byte below.

Rules (x from the left, y from the top, picture 13 x 7 unless said otherwise):
  truecolour   red = 20x + 5, green = 36y + 3, blue = (17x + 29y) mod 256
  two colours  white where (3x + y) mod 5 < 2, else black
  palette      colour k = (x + 2y) mod 12 (16-colour picture) or (7x + 11y) mod 40
               (256-colour picture), where colour k = ((37k) mod 256, 255 - 5k, (50k) mod 256)
  5-5-5 words  levels r = (2x + y) mod 32, g = (x + 3y) mod 32, b = (31 - x - y) mod 32
  5-6-5        levels r = (2x + y) mod 32, g = (5x + 3y) mod 64, b = (31 - x - y) mod 32,
               drawn as the 8-bit value ceil(level * 255 / top level)
"""
import os
import struct
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
CONVERT = os.environ.get("CONVERT", "/usr/bin/convert")
W, H = 13, 7


def truecolour(x, y):
    return (20 * x + 5, 36 * y + 3, (17 * x + 29 * y) % 256)


def two_colours(x, y):
    return (255, 255, 255) if (3 * x + y) % 5 < 2 else (0, 0, 0)


def palette_colour(k):
    return ((37 * k) % 256, 255 - 5 * k, (50 * k) % 256)


def sixteen_colours(x, y):
    return palette_colour((x + 2 * y) % 12)


def many_colours(x, y):
    return palette_colour((7 * x + 11 * y) % 40)


def level_to_byte(level, top):
    return -(-level * 255 // top)  # ceil


def levels565(x, y):
    return ((2 * x + y) % 32, (5 * x + 3 * y) % 64, (31 - x - y) % 32)


def rgb565(x, y):
    r, g, b = levels565(x, y)
    return (level_to_byte(r, 31), level_to_byte(g, 63), level_to_byte(b, 31))


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def ppm(rule, w=W, h=H):
    rows = b"".join(bytes(c for x in range(w) for c in rule(x, y)) for y in range(h))
    return b"P6\n%d %d\n255\n" % (w, h) + rows


def file_header(total, offset):
    return b"BM" + struct.pack("<IHHI", total, 0, 0, offset)


def info_header(w, h, bpp, compression=0, size_image=0, colours=0, ppm_x=2835, ppm_y=2835):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, compression, size_image,
                       ppm_x, ppm_y, colours, 0)


def bmp(info, palette, pixels, extra=b""):
    offset = 14 + len(info) + len(extra) + len(palette)
    return file_header(offset + len(pixels), offset) + info + extra + palette + pixels


def pad(row):
    return row + b"\0" * ((4 - len(row) % 4) % 4)


def bgr_rows(rule, w=W, h=H, top_down=False):
    order = range(h) if top_down else range(h - 1, -1, -1)
    return b"".join(pad(bytes(c for x in range(w) for c in reversed(rule(x, y))))
                    for y in order)


# --- pictures ImageMagick writes (the prefix names the BMP flavour) -------------
for name, fmt, rule, options in [
    ("bits1.bmp", "BMP3", two_colours, ["-type", "Bilevel"]),
    ("bits4.bmp", "BMP3", sixteen_colours, ["-type", "Palette", "-compress", "None"]),
    ("bits8.bmp", "BMP3", many_colours, ["-type", "Palette", "-compress", "None"]),
    ("rle8_magick.bmp", "BMP3", many_colours, ["-type", "Palette", "-compress", "RLE"]),
    ("bits24.bmp", "BMP3", truecolour, []),
    ("os2_core.bmp", "BMP2", truecolour, []),
    ("bits16_565.bmp", "BMP", rgb565, ["-define", "bmp:subtype=RGB565"]),
    ("bits24_v5.bmp", "BMP", truecolour, []),
    ("bits4_v5.bmp", "BMP", sixteen_colours, ["-type", "Palette", "-compress", "None"]),
]:
    write("pattern.ppm", ppm(rule))
    subprocess.run([CONVERT, os.path.join(HERE, "pattern.ppm"), *options,
                    fmt + ":" + os.path.join(HERE, name)], check=True)
    os.remove(os.path.join(HERE, "pattern.ppm"))

# A JPEG that carries a .bmp name: content decides, not the name.
write("pattern.ppm", ppm(truecolour))
subprocess.run([CONVERT, os.path.join(HERE, "pattern.ppm"), "-quality", "95",
                "JPEG:" + os.path.join(HERE, "jpeg_named.bmp")], check=True)
os.remove(os.path.join(HERE, "pattern.ppm"))

# --- pictures written byte by byte -------------------------------------------------
# 24 bits, bottom-up and top-down, and the same bottom-up picture without its file
# header (a bare DIB, pixels right after the header).
bottom_up = bgr_rows(truecolour)
write("bits24_bottom_up.bmp", bmp(info_header(W, H, 24), b"", bottom_up))
write("bits24_top_down.bmp", bmp(info_header(W, -H, 24), b"", bgr_rows(truecolour, top_down=True)))
write("bare_dib.dib", info_header(W, H, 24) + bottom_up)

# 16 bits, 5-5-5 without masks (compression 0).
def words555(x, y):
    r, g, b = (2 * x + y) % 32, (x + 3 * y) % 32, (31 - x - y) % 32
    return (r << 10) | (g << 5) | b


rows555 = b"".join(pad(b"".join(struct.pack("<H", words555(x, y)) for x in range(W)))
                   for y in range(H - 1, -1, -1))
write("bits16_555.bmp", bmp(info_header(W, H, 16), b"", rows555))

# 32 bits with an alpha byte: alpha = 40x + 10 (capped at 255) in row y's pixels,
# except the whole fourth byte is 0 in the second file.
def rows32(alpha_rule):
    out = b""
    for y in range(H - 1, -1, -1):
        for x in range(W):
            r, g, b = truecolour(x, y)
            out += bytes((b, g, r, alpha_rule(x, y)))
    return out


write("bits32_alpha.bmp", bmp(info_header(W, H, 32), b"", rows32(lambda x, y: min(40 * x + 10, 255))))
write("bits32_zero_alpha.bmp", bmp(info_header(W, H, 32), b"", rows32(lambda x, y: 0)))

# Run-length pictures with every escape, 8 x 4 pixels. Indexes (x, y from the top):
#   row 0 (top)    : 0 0 0 0 3 3 0 0       reached by a delta 1 up, run of 2, end of bitmap
#   row 1          : 9 9 9 9 0 0 0 0       encoded run of 4
#   row 2          : 0 0 0 5 5 0 0 0       delta into the row, run of 2, end of line
#   row 3 (bottom) : 1 2 3 4 5 6 7 7       absolute run of 7 (padded), run of 1
# The palette is colour k = ((37k) mod 256, 255 - 5k, (50k) mod 256) for k < 16.
RW, RH = 8, 4
rle_palette = b"".join(bytes((b, g, r, 0)) for r, g, b in (palette_colour(k) for k in range(16)))
rle8 = bytes([
    0, 7, 1, 2, 3, 4, 5, 6, 7, 0,  # absolute run of 7, padded to an even length
    1, 7,                          # encoded run of 1
    0, 0,                          # end of line
    0, 2, 3, 0,                    # delta: 3 right
    2, 5,                          # encoded run of 2
    0, 0,                          # end of line
    4, 9,                          # encoded run of 4
    0, 2, 0, 1,                    # delta: 1 up
    2, 3,                          # encoded run of 2
    0, 1,                          # end of bitmap
])
write("rle8_escapes.bmp", bmp(info_header(RW, RH, 8, 1, len(rle8), 16), rle_palette, rle8))
rle4 = bytes([
    0, 7, 0x12, 0x34, 0x56, 0x70,  # absolute run of 7 nibbles, 4 bytes
    1, 0x70,                       # encoded run of 1: high nibble 7
    0, 0,
    0, 2, 3, 0,                    # delta: 3 right
    2, 0x55,                       # encoded run of 2
    0, 0,
    4, 0x99,                       # encoded run of 4
    0, 2, 0, 1,                    # delta: 1 up
    2, 0x33,                       # encoded run of 2
    0, 1,
])
write("rle4_escapes.bmp", bmp(info_header(RW, RH, 4, 2, len(rle4), 16), rle_palette, rle4))
