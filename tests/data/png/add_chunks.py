#!/usr/bin/env python3
"""Writes the PNG variants ImageMagick does not make, by adding chunks to files
make_fixtures.sh made, and checks that every fixture's header says what its name
claims. Deterministic: run by make_fixtures.sh."""
import struct
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def chunks(data):
    assert data[:8] == PNG_SIGNATURE
    pos = 8
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        yield kind, data[pos + 8:pos + 8 + length]
        pos += 12 + length


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(
        ">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def add_before_idat(source, target, kind, body):
    data = open(source, "rb").read()
    out = bytearray(PNG_SIGNATURE)
    for name, content in chunks(data):
        if name == kind:
            continue  # replace an existing chunk of the same kind
        if name == b"IDAT" and kind is not None:
            out += chunk(kind, body)
            kind = None
        out += chunk(name, content)
    open(target, "wb").write(out)


# Grey 8-bit where level 13 is transparent.
add_before_idat("grey8.png", "grey8_trns.png", b"tRNS", struct.pack(">H", 13))
# Grey 16-bit: the transparent level 0x1234 becomes index 0x12.
add_before_idat("grey16.png", "grey16_trns.png", b"tRNS", struct.pack(">H", 0x1234))
# Colour: red 0x25, green 0x37, blue 0x91 is transparent.
add_before_idat("rgb8.png", "rgb8_trns.png", b"tRNS", struct.pack(">HHH", 0x25, 0x37, 0x91))
# 16-bit colour: each sample scaled down to its high byte.
add_before_idat("rgb16.png", "rgb16_trns.png", b"tRNS",
                struct.pack(">HHH", 0xAB01, 0xCD02, 0xEF03))
# Palette entry 0 fully transparent, entry 1 half transparent, the rest opaque.
add_before_idat("palette_transparent.png", "palette_alpha.png", b"tRNS", bytes([0, 128]))
# A single transparency entry that is not fully transparent: entry 0 at alpha 128.
add_before_idat("palette_transparent.png", "palette_single_alpha.png", b"tRNS", bytes([128]))
# Physical size without a unit: 2 by 3 (an aspect ratio), taken as it stands.
add_before_idat("rgb8.png", "rgb8_aspect.png", b"pHYs", struct.pack(">IIB", 2, 3, 0))

EXPECTED = {
    "grey1.png": (0, 1), "grey2.png": (0, 2), "grey4.png": (0, 4), "grey8.png": (0, 8),
    "grey16.png": (0, 16), "rgb8.png": (2, 8), "rgb8_interlaced.png": (2, 8),
    "rgb16.png": (2, 16), "rgba8.png": (6, 8), "rgba8_interlaced.png": (6, 8),
    "greyalpha8.png": (4, 8), "greyalpha16.png": (4, 16), "rgba16.png": (6, 16),
    "palette1.png": (3, 1), "palette2.png": (3, 2), "palette4.png": (3, 4),
    "palette8.png": (3, 8), "palette2_interlaced.png": (3, 2),
    "palette_alpha.png": (3, 8), "palette_transparent.png": (3, 8),
    "palette_single_alpha.png": (3, 8),
    "rgb8_300dpi.png": (2, 8), "grey8_trns.png": (0, 8), "grey16_trns.png": (0, 16),
    "rgb8_trns.png": (2, 8), "rgb16_trns.png": (2, 16), "rgb8_aspect.png": (2, 8),
}
for name, (color_type, depth) in EXPECTED.items():
    ihdr = dict(chunks(open(name, "rb").read()))[b"IHDR"]
    got = (ihdr[9], ihdr[8])
    interlace = ihdr[12]
    assert got == (color_type, depth), f"{name}: colour type, depth {got}"
    assert interlace == ("interlaced" in name), f"{name}: interlace {interlace}"
print("PNG fixtures checked")
