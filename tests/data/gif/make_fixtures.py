#!/usr/bin/env python3
"""Makes the GIF fixtures: patterns drawn here as PPM/PAM, turned into GIF by
ImageMagick's convert. Deterministic; run from any folder:
    python3 tests/data/gif/make_fixtures.py
The decoder tests compute the expected colours from the same rules."""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from netpbm import write_pam_rgba, write_ppm  # noqa: E402

# Six colours of the stripe pattern, red-green-blue.
STRIPES = [(255, 0, 0), (0, 128, 0), (0, 0, 255), (255, 255, 0), (0, 255, 255), (128, 0, 128)]


def stripe(x, y):
    return STRIPES[(x // 4 + y // 3) % 6]


def noise_index(x, y):
    # A fixed scramble, so every one of the 256 colours appears and LZW strings stay short.
    return (x * 73 + y * 151 + ((x * y) % 7) * 37) % 256


def noise_color(i):
    return (i, (i * 37) % 256, (i * 101) % 256)


def checker(x, y):
    return (255, 255, 255) if (x + y) % 2 else (0, 0, 0)



def convert(*args):
    subprocess.run(["convert", *args], check=True)


def main():
    with tempfile.TemporaryDirectory() as tmp:
        t = lambda name: os.path.join(tmp, name)
        out = lambda name: os.path.join(HERE, name)
        write_ppm(t("stripes.ppm"), 37, 23, stripe)
        convert(t("stripes.ppm"), out("stripes.gif"))
        convert(t("stripes.ppm"), "-interlace", "GIF", out("stripes_interlaced.gif"))

        write_ppm(t("noise.ppm"), 120, 90, lambda x, y: noise_color(noise_index(x, y)))
        convert(t("noise.ppm"), out("noise256.gif"))

        write_ppm(t("checker.ppm"), 9, 5, checker)
        convert(t("checker.ppm"), out("checker.gif"))

        # Transparent where x + y is a multiple of 5, stripes elsewhere.
        write_pam_rgba(t("holes.pam"), 12, 8,
                       lambda x, y: (0, 0, 0, 0) if (x + y) % 5 == 0 else stripe(x, y) + (255,))
        convert(t("holes.pam"), out("holes.gif"))

        # Three frames on a 30 x 20 screen: solid red, stripes, and a 10 x 8 solid blue
        # frame placed at (12, 6).
        write_ppm(t("red.ppm"), 30, 20, lambda x, y: (255, 0, 0))
        write_ppm(t("stripes30.ppm"), 30, 20, stripe)
        write_ppm(t("blue.ppm"), 10, 8, lambda x, y: (0, 0, 255))
        convert("-delay", "10", "-dispose", "none",
                "-page", "30x20+0+0", t("red.ppm"),
                "-page", "30x20+0+0", t("stripes30.ppm"),
                "-page", "30x20+12+6", t("blue.ppm"),
                out("frames.gif"))


if __name__ == "__main__":
    main()
