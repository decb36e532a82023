#!/usr/bin/env python3
"""Makes the TGA fixtures of the decoder tests. Deterministic: run it again and the
same bytes come out.

Pictures are drawn here from rules that the tests repeat (x from the left, y from
the top, 13 x 7 pixels). ImageMagick's `convert` writes the 8, 24 and 32-bit
variants of types 1, 2, 3, 9, 10 and 11; what it does not write (15/16-bit pixels,
the descriptor's top-first and mirror bits, run-length packets that run on into the
next row, a 15-bit colour map, rows stored bottom first) is written byte by byte
below.

  truecolour  red = 20x + 5, green = 36y + 3, blue = (17x + 29y) mod 256
  alpha       40x + 10, at most 255
  grey        (19x + 31y) mod 256
  palette     colour k = (7x + 11y) mod 40, colour k = ((37k) mod 256, 255 - 5k, (50k) mod 256)
  5-5-5 words levels r = (2x + y) mod 32, g = (x + 3y) mod 32, b = (31 - x - y) mod 32
  bands       in file order (bottom row first, left to right) pixel n has colour
              (n // 5) mod 12 of the palette rule: runs of 5 that cross rows
"""
import os
import struct
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
CONVERT = os.environ.get("CONVERT", "/usr/bin/convert")
W, H = 13, 7


def truecolour(x, y):
    return (20 * x + 5, 36 * y + 3, (17 * x + 29 * y) % 256)


def alpha(x, y):
    return min(40 * x + 10, 255)


def grey(x, y):
    return (19 * x + 31 * y) % 256


def palette_colour(k):
    return ((37 * k) % 256, 255 - 5 * k, (50 * k) % 256)


def many_colours(x, y):
    return palette_colour((7 * x + 11 * y) % 40)


def word555(x, y):
    r, g, b = (2 * x + y) % 32, (x + 3 * y) % 32, (31 - x - y) % 32
    return (r << 10) | (g << 5) | b


def band_index(x, y):
    return (((H - 1 - y) * W + x) // 5) % 12


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def magick(source, name, *options):
    """ImageMagick (6.9.11) writes the top row first but leaves the descriptor's
    row-order bit clear, which by the format means bottom row first (ffmpeg reads
    such files upside down). Its files get the bit set, so they say what they hold."""
    path = os.path.join(HERE, "pattern.tmp")
    write("pattern.tmp", source)
    target = os.path.join(HERE, name)
    subprocess.run([CONVERT, path, *options, "TGA:" + target], check=True)
    os.remove(path)
    with open(target, "r+b") as f:
        f.seek(17)
        descriptor = f.read(1)[0]
        assert descriptor & 0x20 == 0, "convert now marks its row order"
        f.seek(17)
        f.write(bytes((descriptor | 0x20,)))


def ppm(rule):
    rows = b"".join(bytes(c for x in range(W) for c in rule(x, y)) for y in range(H))
    return b"P6\n%d %d\n255\n" % (W, H) + rows


def pgm(rule):
    return b"P5\n%d %d\n255\n" % (W, H) + bytes(rule(x, y) for y in range(H) for x in range(W))


def pam_rgba():
    head = b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" % (W, H)
    return head + bytes(c for y in range(H) for x in range(W)
                        for c in (*truecolour(x, y), alpha(x, y)))


# --- pictures ImageMagick writes ----------------------------------------------------
magick(ppm(truecolour), "type2_24.tga")
magick(ppm(truecolour), "type10_24.tga", "-compress", "RLE")
magick(ppm(many_colours), "type1_8.tga", "-type", "Palette")
magick(ppm(many_colours), "type9_8.tga", "-type", "Palette", "-compress", "RLE")
magick(pgm(grey), "type3_8.tga", "-type", "Grayscale")
magick(pgm(grey), "type11_8.tga", "-type", "Grayscale", "-compress", "RLE")
magick(pam_rgba(), "type2_32.tga")
magick(pam_rgba(), "type10_32.tga", "-compress", "RLE")


# --- pictures written byte by byte -------------------------------------------------
def header(image_type, depth, descriptor, map_type=0, map_first=0, map_length=0, map_bits=0,
           id_field=b""):
    return struct.pack("<BBBHHBHHHHBB", len(id_field), map_type, image_type, map_first,
                       map_length, map_bits, 0, 0, W, H, depth, descriptor) + id_field


def file_rows(pixel, top_first=False, mirrored=False):
    """Pixel bytes in file order for the given descriptor bits."""
    ys = range(H) if top_first else range(H - 1, -1, -1)
    xs = range(W - 1, -1, -1) if mirrored else range(W)
    return b"".join(pixel(x, y) for y in ys for x in xs)


def bgr(x, y):
    r, g, b = truecolour(x, y)
    return bytes((b, g, r))


def run_length(pixels, size):
    """Greedy packets over the whole picture, not row by row, so runs cross rows."""
    units = [pixels[i:i + size] for i in range(0, len(pixels), size)]
    out = b""
    i = 0
    while i < len(units):
        run = 1
        while i + run < len(units) and run < 128 and units[i + run] == units[i]:
            run += 1
        if run > 1:
            out += bytes((0x80 | (run - 1),)) + units[i]
            i += run
            continue
        start = i
        while i < len(units) and i - start < 128 and (
                i + 1 >= len(units) or units[i + 1] != units[i]):
            i += 1
        out += bytes((i - start - 1,)) + b"".join(units[start:i])
    return out


def word(x, y):
    return struct.pack("<H", word555(x, y) | 0x8000)  # the top bit must be ignored


write("type2_16.tga", header(2, 16, 0) + file_rows(word))
write("type2_24_bottom_first.tga", header(2, 24, 0) + file_rows(bgr))
write("type10_15.tga", header(10, 15, 0) + run_length(file_rows(word), 2))
write("type2_24_top_first.tga", header(2, 24, 0x20, id_field=b"top") + file_rows(bgr, top_first=True))
write("type2_24_mirrored.tga", header(2, 24, 0x10) + file_rows(bgr, mirrored=True))
write("type2_24_top_first_mirrored.tga",
      header(2, 24, 0x30) + file_rows(bgr, top_first=True, mirrored=True))


def band_bgr(x, y):
    r, g, b = palette_colour(band_index(x, y))
    return bytes((b, g, r))


def band_bgra(x, y):
    return band_bgr(x, y) + bytes((alpha(x, y),))


write("type10_24_bands.tga", header(10, 24, 0) + run_length(file_rows(band_bgr), 3))
write("type10_32_bands_top_first.tga",
      header(10, 32, 0x28) + run_length(file_rows(band_bgra, top_first=True), 4))

# Colour-mapped, run-length, with a 15-bit colour map that starts at index 4: the
# file's indexes are band_index + 4, map entry i describes palette entry i + 4.
colour_map = b"".join(struct.pack("<H", (k << 10) | ((31 - k) << 5) | (2 * k)) for k in range(12))
write("type9_8_map15.tga",
      header(9, 8, 0, map_type=1, map_first=4, map_length=12, map_bits=15) + colour_map +
      run_length(file_rows(lambda x, y: bytes((band_index(x, y) + 4,))), 1))
