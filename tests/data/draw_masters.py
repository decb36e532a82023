"""Draws the master pictures the WebP, HEIF and AVIF fixtures are encoded from, as
PPM and PAM files in the folder given (the fixture scripts turn them into PNG with
ImageMagick). Every master is 45 x 31 pixels (odd sizes: stored rows need padding,
and chroma is subsampled by halves), drawn by a rule of x (from the left) and y
(from the top) that the decoder tests compute again:

  colour.ppm        red = 5x + 10, green = 8y + 5, blue = 3x + 4y + 2
  colour_alpha.pam  the same colours, alpha = 255 - 5x
  other.ppm         red = 200 - 4x, green = 30 + 3y, blue = 90 (a second picture)
  deep10.pam        16-bit samples holding 10-bit values v: red = (x + 45y) mod 1024,
                    green = 1023 - red, blue = (37x + 11y) mod 1024, each stored as
                    round(v x 65535 / 1023), so that an encoder bringing 16 bits to
                    10 by rounding gets v back exactly
  deep12.pam        the same with 12 bits: mod 4096, 4095 - red, scaled by 65535 / 4095

Usage: python3 draw_masters.py FOLDER
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import netpbm  # noqa: E402

WIDTH, HEIGHT = 45, 31


def colour(x, y):
    return (5 * x + 10, 8 * y + 5, 3 * x + 4 * y + 2)


def colour_alpha(x, y):
    return colour(x, y) + (255 - 5 * x,)


def other(x, y):
    return (200 - 4 * x, 30 + 3 * y, 90)


def write_deep(path, bits):
    maximum = (1 << bits) - 1

    def samples(x, y):
        red = (x + 45 * y) % (maximum + 1)
        green = maximum - red
        blue = (37 * x + 11 * y) % (maximum + 1)
        return [round(v * 65535 / maximum) for v in (red, green, blue)]

    with open(path, "wb") as f:
        f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 3\nMAXVAL 65535\nTUPLTYPE RGB\nENDHDR\n"
                % (WIDTH, HEIGHT))
        for y in range(HEIGHT):
            for x in range(WIDTH):
                for value in samples(x, y):
                    f.write(value.to_bytes(2, "big"))


def main():
    folder = sys.argv[1]
    netpbm.write_ppm(os.path.join(folder, "colour.ppm"), WIDTH, HEIGHT, colour)
    netpbm.write_pam_rgba(os.path.join(folder, "colour_alpha.pam"), WIDTH, HEIGHT, colour_alpha)
    netpbm.write_ppm(os.path.join(folder, "other.ppm"), WIDTH, HEIGHT, other)
    write_deep(os.path.join(folder, "deep10.pam"), 10)
    write_deep(os.path.join(folder, "deep12.pam"), 12)


if __name__ == "__main__":
    main()
