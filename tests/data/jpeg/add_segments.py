#!/usr/bin/env python3
"""Writes the JPEG variants no tool makes: EXIF resolution blocks, EXIF orientation
tags, and a JFIF header with a density unit of 0 (an aspect ratio only).
Deterministic."""
import os
import struct


def segment(marker, body):
    return bytes([0xFF, marker]) + struct.pack(">H", len(body) + 2) + body


def jfif(unit, x_density, y_density):
    return segment(0xE0, b"JFIF\0" + bytes([1, 1, unit]) +
                   struct.pack(">HH", x_density, y_density) + bytes([0, 0]))


def exif(big_endian, x_resolution, y_resolution, unit):
    """An EXIF APP1 whose first directory holds XResolution, YResolution (rationals
    (value, 1)) and ResolutionUnit, followed by a thumbnail directory claiming
    1 dpi, which must be ignored."""
    e = ">" if big_endian else "<"
    header = (b"MM" if big_endian else b"II") + struct.pack(e + "HI", 42, 8)
    entries = [(0x011A, 5, 1, 0), (0x011B, 5, 1, 0), (0x0128, 3, 1, unit)]
    directory_size = 2 + 12 * len(entries) + 4
    rational_offset = 8 + directory_size
    thumbnail_offset = rational_offset + 16
    directory = struct.pack(e + "H", len(entries))
    for index, (tag, kind, count, value) in enumerate(entries):
        if kind == 5:
            directory += struct.pack(e + "HHII", tag, kind, count, rational_offset + 8 * index)
        else:
            directory += struct.pack(e + "HHIHH", tag, kind, count, value, 0)
    directory += struct.pack(e + "I", thumbnail_offset)
    rationals = struct.pack(e + "IIII", x_resolution, 1, y_resolution, 1)
    thumbnail = struct.pack(e + "H", 1) + struct.pack(e + "HHII", 0x011A, 5, 1,
                                                      thumbnail_offset + 18) + \
        struct.pack(e + "I", 0) + struct.pack(e + "II", 1, 1)
    return segment(0xE1, b"Exif\0\0" + header + directory + rationals + thumbnail)


def exif_orientation(big_endian, orientation):
    """An EXIF APP1 whose first directory holds the Orientation tag (a short held in
    the entry) after an ImageDescription that points past it, as a camera writes."""
    e = ">" if big_endian else "<"
    header = (b"MM" if big_endian else b"II") + struct.pack(e + "HI", 42, 8)
    text = b"upright test\0"
    text_offset = 8 + 2 + 12 * 2 + 4
    directory = struct.pack(e + "H", 2)
    directory += struct.pack(e + "HHII", 0x010E, 2, len(text), text_offset)
    directory += struct.pack(e + "HHIHH", 0x0112, 3, 1, orientation, 0)
    directory += struct.pack(e + "I", 0)
    return segment(0xE1, b"Exif\0\0" + header + directory + text)


def with_segments(source, target, *segments):
    """Writes source's picture behind SOI and the given segments, dropping the
    source's own APP0."""
    data = open(source, "rb").read()
    assert data[:2] == b"\xFF\xD8"
    rest = data[2:]
    if rest[:2] == b"\xFF\xE0":
        rest = rest[2 + struct.unpack(">H", rest[2:4])[0]:]
    open(target, "wb").write(b"\xFF\xD8" + b"".join(segments) + rest)


# Unit 0: only an aspect ratio of 2 : 3.
with_segments("colour.jpg", "density_aspect.jpg", jfif(0, 2, 3))
# EXIF 300 x 200 dots per inch (big-endian) over a JFIF header claiming 72.
with_segments("colour.jpg", "exif_inch.jpg", jfif(1, 72, 72), exif(True, 300, 200, 2))
# EXIF 118 x 59 dots per centimetre (little-endian): 300 x 150 dots per inch.
with_segments("colour.jpg", "exif_cm.jpg", jfif(1, 72, 72), exif(False, 118, 59, 3))
# EXIF with a zero resolution: the JFIF density (72) is used instead.
with_segments("colour.jpg", "exif_zero.jpg", jfif(1, 72, 72), exif(False, 0, 0, 2))
# Orientations 1 to 8 in turn big- and little-endian, behind a JFIF header.
for orientation in range(1, 9):
    stored = "stored_%d.jpg" % orientation
    with_segments(stored, "orientation_%d.jpg" % orientation, jfif(1, 72, 72),
                  exif_orientation(orientation % 2 == 1, orientation))
    os.remove(stored)
print("JPEG fixtures written")
