#!/usr/bin/env python3
"""Builds the hostile-input corpus: damaged, truncated and absurd picture files.

Every file comes from a small valid seed made here (the JPEG seeds were written once
by cjpeg and ImageMagick and are embedded below), then cut short, patched with
impossible header fields, or flipped at random. The decoders must refuse each file
cleanly or decode it; none may crash, hang or allocate past the picture limit.

Run it from anywhere: python3 tests/data/corpus/make_corpus.py
The output is deterministic (fixed random seed). Files whose names start with
"crash_" or "slow_" are inputs the fuzzer found (a fault, or a run over its time
limit); they are kept, never regenerated.
"""

import base64
import os
import random
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATED_PREFIXES = ("bmp_", "jpeg_", "ico_", "gif_", "png_", "tga_", "webp_", "heif_", "avif_",
                      "random_", "empty")
DATA = os.path.dirname(HERE)
rng = random.Random(20240607)
written = {}


def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def emit(name, data):
    assert name not in written, name
    written[name] = bytes(data)


def patch(data, offset, value):
    data = bytearray(data)
    data[offset:offset + len(value)] = value
    return bytes(data)


def truncations(prefix, ext, data, extra=()):
    cuts = {1, 2, 4, 6, 10, 14, 18, 26, 40, 54, len(data) // 3, len(data) // 2,
            len(data) - 8, len(data) - 1}
    cuts.update(extra)
    for cut in sorted(c for c in cuts if 0 < c < len(data)):
        emit(f"{prefix}_cut{cut:05d}.{ext}", data[:cut])


def flips(prefix, ext, data, count=3, span=None):
    span = span or min(len(data), 96)
    for n in range(count):
        d = bytearray(data)
        for _ in range(1 + rng.randrange(6)):
            d[rng.randrange(span)] = rng.randrange(256)
        emit(f"{prefix}_flip{n}.{ext}", d)


# --- BMP ------------------------------------------------------------------------------

def bmp_info(width, height, bpp, compression=0, colors=0, size_image=0):
    return (u32(40) + u32(width) + u32(height) + u16(1) + u16(bpp) + u32(compression) +
            u32(size_image) + u32(2835) + u32(2835) + u32(colors) + u32(0))


def bmp_file(info, palette, pixels):
    offset = 14 + len(info) + len(palette)
    body = info + palette + pixels
    return b"BM" + u32(14 + len(body)) + u32(0) + u32(offset) + body


def rows(width, height, bpp, fill):
    stride = ((bpp * width + 31) // 32) * 4
    out = bytearray()
    for y in range(height):
        row = bytearray(fill(y))
        out += row + bytes(stride - len(row))
    return bytes(out)


def palette_bytes(count):
    return b"".join(bytes([i * 7 & 255, i * 13 & 255, i * 29 & 255, 0]) for i in range(count))


def make_bmp_seeds():
    seeds = {}
    seeds["24"] = bmp_file(bmp_info(5, 3, 24), b"",
                           rows(5, 3, 24, lambda y: bytes((x * 40 + y * 9) & 255
                                                          for x in range(15))))
    seeds["8"] = bmp_file(bmp_info(4, 4, 8, colors=4), palette_bytes(4),
                          rows(4, 4, 8, lambda y: bytes((x + y) % 4 for x in range(4))))
    seeds["4"] = bmp_file(bmp_info(7, 2, 4, colors=16), palette_bytes(16),
                          rows(7, 2, 4, lambda y: bytes([0x12, 0x34, 0x56, 0x70])))
    seeds["1"] = bmp_file(bmp_info(9, 2, 1), palette_bytes(2),
                          rows(9, 2, 1, lambda y: bytes([0xA5, 0x80])))
    seeds["16"] = bmp_file(bmp_info(3, 2, 16, compression=3),
                           u32(0xF800) + u32(0x07E0) + u32(0x001F),
                           rows(3, 2, 16, lambda y: u16(0xF800) + u16(0x07E0) + u16(0x001F)))
    seeds["32"] = bmp_file(bmp_info(2, 2, 32), b"",
                           rows(2, 2, 32, lambda y: bytes([1, 2, 3, 128, 4, 5, 6, 0])))
    seeds["topdown"] = bmp_file(bmp_info(3, -2, 24), b"",
                                rows(3, 2, 24, lambda y: bytes(range(9))))
    # Run-length 8-bit: a run, an absolute run, end of line, a delta, end of bitmap.
    rle8 = (bytes([3, 1]) + bytes([0, 3, 2, 3, 1, 0]) + bytes([0, 0]) +
            bytes([0, 2, 1, 1]) + bytes([2, 3]) + bytes([0, 0]) + bytes([8, 2]) + bytes([0, 1]))
    seeds["rle8"] = bmp_file(bmp_info(8, 4, 8, compression=1, colors=4, size_image=len(rle8)),
                             palette_bytes(4), rle8)
    rle4 = (bytes([5, 0x12]) + bytes([0, 4, 0x34, 0x56]) + bytes([0, 0]) +
            bytes([0, 2, 2, 1]) + bytes([3, 0x77]) + bytes([0, 1]))
    seeds["rle4"] = bmp_file(bmp_info(9, 3, 4, compression=2, colors=16, size_image=len(rle4)),
                             palette_bytes(16), rle4)
    os2 = u32(12) + u16(4) + u16(2) + u16(1) + u16(8)
    os2_palette = b"".join(bytes([i * 50, 255 - i * 50, i, ]) for i in range(4))
    os2_pixels = rows(4, 2, 8, lambda y: bytes([0, 1, 2, 3]))
    seeds["os2"] = (b"BM" + u32(14 + 12 + 12 * 0 + 768 + len(os2_pixels)) + u32(0) +
                    u32(14 + 12 + 768) + os2 + os2_palette + bytes(768 - 12) + os2_pixels)
    seeds["dib"] = bmp_info(3, 3, 24) + rows(3, 3, 24, lambda y: bytes([y * 80] * 9))
    return seeds


def bmp_corpus():
    seeds = make_bmp_seeds()
    for name, data in seeds.items():
        truncations(f"bmp_{name}", "bmp", data)
        flips(f"bmp_{name}", "bmp", data, 2)
    base24, base8, rle8, rle4 = seeds["24"], seeds["8"], seeds["rle8"], seeds["rle4"]
    # Header fields no picture can have (offsets 18 width, 22 height, 28 bpp, 30
    # compression, 34 image size, 46 colours used, 10 pixel offset, 14 header size).
    for label, value in [("zero", 0), ("max", 0x7FFFFFFF), ("min", 0x80000000),
                         ("all", 0xFFFFFFFF), ("100k", 100000), ("64k", 65536)]:
        emit(f"bmp_width_{label}.bmp", patch(base24, 18, u32(value)))
        emit(f"bmp_height_{label}.bmp", patch(base8, 22, u32(value)))
    emit("bmp_9000x9000_tiny.bmp", patch(patch(base24, 18, u32(9000)), 22, u32(9000)))
    emit("bmp_1x100m_1bit.bmp", patch(patch(seeds["1"], 18, u32(1)), 22, u32(100000000)))
    emit("bmp_rle_huge.bmp", patch(patch(rle8, 18, u32(16000)), 22, u32(16000)))
    for bpp in (0, 2, 3, 7, 31, 64, 0xFFFF):
        emit(f"bmp_bpp{bpp}.bmp", patch(base24, 28, u16(bpp)))
    for comp in (1, 2, 3, 4, 5, 6, 0xFFFFFFFF):
        emit(f"bmp_24_comp{comp}.bmp", patch(base24, 30, u32(comp)))
        emit(f"bmp_8_comp{comp}.bmp", patch(base8, 30, u32(comp)))
    emit("bmp_32_comp3_nomask.bmp", patch(seeds["32"], 30, u32(3)))
    emit("bmp_16_zero_masks.bmp", patch(seeds["16"], 54, bytes(12)))
    emit("bmp_16_full_masks.bmp", patch(seeds["16"], 54, u32(0xFFFFFFFF) * 3))
    for count in (257, 1000, 65536, 0x7FFFFFFF, 0xFFFFFFFF):
        emit(f"bmp_colors{count}.bmp", patch(base8, 46, u32(count)))
    for label, value in [("past", len(base24) + 1000), ("max", 0x7FFFFFFF),
                         ("all", 0xFFFFFFFF), ("inside_header", 3)]:
        emit(f"bmp_offset_{label}.bmp", patch(base24, 10, u32(value)))
    for size in (0, 1, 13, 39, 41, 52, 56, 64, 108, 124, 0xFFFF, 0xFFFFFFFF):
        emit(f"bmp_hsize{size}.bmp", patch(base24, 14, u32(size)))
    emit("bmp_hsize200_bigimage.bmp", patch(patch(base24, 14, u32(200)), 34, u32(0xFFFFFFFF)))
    emit("bmp_planes0.bmp", patch(base24, 26, u16(0)))
    # Run-length data that runs past the picture.
    pal4 = palette_bytes(4)

    def rle8_file(stream, width=8, height=4):
        return bmp_file(bmp_info(width, height, 8, compression=1, colors=4,
                                 size_image=len(stream)), pal4, stream)

    emit("bmp_rle8_run_past_row.bmp", rle8_file(bytes([255, 1] * 40)))
    emit("bmp_rle8_absolute_past_row.bmp", rle8_file(bytes([0, 255]) + bytes(255) + b"\0\1"))
    emit("bmp_rle8_absolute_past_end.bmp", rle8_file(bytes([0, 200, 1, 2])))
    emit("bmp_rle8_delta_past_right.bmp", rle8_file(bytes([0, 2, 250, 0, 5, 1, 0, 1])))
    emit("bmp_rle8_delta_past_top.bmp", rle8_file(bytes([0, 2, 0, 250, 5, 1, 0, 1])))
    emit("bmp_rle8_many_eol.bmp", rle8_file(bytes([0, 0]) * 500 + bytes([4, 1])))
    emit("bmp_rle8_no_end.bmp", rle8_file(bytes([4, 1, 4, 2])))
    emit("bmp_rle8_delta_loop.bmp", rle8_file(bytes([0, 2, 0, 0]) * 300))
    emit("bmp_rle8_only_runs.bmp", rle8_file(bytes([1, 1]) * 3000))
    emit("bmp_rle8_wide.bmp", rle8_file(bytes([255, 3]) * 2000, width=60000, height=2))
    pal16 = palette_bytes(16)

    def rle4_file(stream, width=9, height=3):
        return bmp_file(bmp_info(width, height, 4, compression=2, colors=16,
                                 size_image=len(stream)), pal16, stream)

    emit("bmp_rle4_run_past_row.bmp", rle4_file(bytes([255, 0x12] * 20)))
    emit("bmp_rle4_absolute_past_row.bmp", rle4_file(bytes([0, 255]) + bytes(128) + b"\0\1"))
    emit("bmp_rle4_absolute_odd.bmp", rle4_file(bytes([0, 3, 0x12, 0x30, 0, 5, 0x12, 0x34])))
    emit("bmp_rle4_delta_past.bmp", rle4_file(bytes([0, 2, 255, 255, 3, 0x11, 0, 1])))
    emit("bmp_rle4_absolute_past_end.bmp", rle4_file(bytes([0, 250, 0x11])))
    emit("bmp_rle4_as_rle8.bmp", patch(rle4, 30, u32(1)))
    emit("bmp_rle8_as_rle4.bmp", patch(rle8, 30, u32(2)))
    emit("bmp_rle8_24bit.bmp", patch(rle8, 28, u16(24)))
    emit("bmp_dib_huge.bmp", patch(patch(seeds["dib"], 4, u32(0x7FFFFFFF)), 8, u32(2)))
    emit("bmp_os2_huge.bmp", patch(seeds["os2"], 18, u16(0xFFFF) + u16(0xFFFF)))
    emit("bmp_os2_bpp32.bmp", patch(seeds["os2"], 24, u16(32)))


# --- JPEG -----------------------------------------------------------------------------

JPEG_SEEDS = {
    "grey": (
        "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDABALDA4MChAODQ4SERATGCgaGBYWGDEjJR0oOjM9PDkzODdA"
        "SFxOQERXRTc4UG1RV19iZ2hnPk1xeXBkeFxlZ2P/wAALCAAIAAgBAREA/8QAFAABAAAAAAAAAAAAAAAA"
        "AAAAAP/EABcQAAMBAAAAAAAAAAAAAAAAAAAWY6H/2gAIAQEAAD8AO9dP/9k="
    ),
    "colour": (
        "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDABALDA4MChAODQ4SERATGCgaGBYWGDEjJR0oOjM9PDkzODdA"
        "SFxOQERXRTc4UG1RV19iZ2hnPk1xeXBkeFxlZ2P/2wBDARESEhgVGC8aGi9jQjhCY2NjY2NjY2NjY2Nj"
        "Y2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2P/wAARCAAQABADASIAAhEBAxEB/8QA"
        "FgABAQEAAAAAAAAAAAAAAAAAAAQF/8QAFRABAQAAAAAAAAAAAAAAAAAAABP/xAAUAQEAAAAAAAAAAAAA"
        "AAAAAAAF/8QAFhEAAwAAAAAAAAAAAAAAAAAAABVh/9oADAMBAAIRAxEAPwDAqVRVKlFEGWlP/9k="
    ),
    "progressive": (
        "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDABALDA4MChAODQ4SERATGCgaGBYWGDEjJR0oOjM9PDkzODdA"
        "SFxOQERXRTc4UG1RV19iZ2hnPk1xeXBkeFxlZ2P/2wBDARESEhgVGC8aGi9jQjhCY2NjY2NjY2NjY2Nj"
        "Y2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2P/wgARCAAQABADASIAAhEBAxEB/8QA"
        "FgABAQEAAAAAAAAAAAAAAAAAAAMF/8QAFAEBAAAAAAAAAAAAAAAAAAAABP/aAAwDAQACEAMQAAABz0Sm"
        "f//EABUQAQEAAAAAAAAAAAAAAAAAAAAR/9oACAEBAAEFAqqq/8QAFREBAQAAAAAAAAAAAAAAAAAAABT/"
        "2gAIAQMBAT8Bqf/EABURAQEAAAAAAAAAAAAAAAAAAAAU/9oACAECAQE/AZH/xAAUEAEAAAAAAAAAAAAA"
        "AAAAAAAg/9oACAEBAAY/Ah//xAAUEAEAAAAAAAAAAAAAAAAAAAAg/9oACAEBAAE/IQH/2gAMAwEAAgAD"
        "AAAAEMf/xAAVEQEBAAAAAAAAAAAAAAAAAAAAcf/aAAgBAwEBPxCn/8QAFREBAQAAAAAAAAAAAAAAAAAA"
        "AHH/2gAIAQIBAT8Ql//EABQQAQAAAAAAAAAAAAAAAAAAACD/2gAIAQEAAT8QH//Z"
    ),
    "restart": (
        "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDABALDA4MChAODQ4SERATGCgaGBYWGDEjJR0oOjM9PDkzODdA"
        "SFxOQERXRTc4UG1RV19iZ2hnPk1xeXBkeFxlZ2P/2wBDARESEhgVGC8aGi9jQjhCY2NjY2NjY2NjY2Nj"
        "Y2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2P/wAARCAAQABADASIAAhEBAxEB/8QA"
        "FgABAQEAAAAAAAAAAAAAAAAAAAQF/8QAFRABAQAAAAAAAAAAAAAAAAAAABP/xAAUAQEAAAAAAAAAAAAA"
        "AAAAAAAF/8QAFhEAAwAAAAAAAAAAAAAAAAAAABVh/90ABAAB/9oADAMBAAIRAxEAPwDAqVRVKlFEGWlP"
        "/9k="
    ),
    "cmyk": (
        "/9j/7gAOQWRvYmUAZAAAAAAC/9sAQwAQCwwODAoQDg0OEhEQExgoGhgWFhgxIyUdKDozPTw5Mzg3QEhc"
        "TkBEV0U3OFBtUVdfYmdoZz5NcXlwZHhcZWdj/9sAQwEREhIYFRgvGhovY0I4QmNjY2NjY2NjY2NjY2Nj"
        "Y2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2NjY2Nj/8AAFAgACAAIBAEiAAIRAQMRAQQiAP/E"
        "ABYAAQEBAAAAAAAAAAAAAAAAAAAGB//EABYQAQEBAAAAAAAAAAAAAAAAAAAUYf/EABUBAQEAAAAAAAAA"
        "AAAAAAAAAAQG/8QAGBEAAwEBAAAAAAAAAAAAAAAAAAQVUVL/2gAOBAEAAhEDEQQAAD8AmatAUstbkVRY"
        "00AB/9k="
    ),
}


def jpeg_segments(data):
    """(marker, offset of the marker) for every segment up to the scan data."""
    out, pos = [], 2
    while pos + 4 <= len(data) and data[pos] == 0xFF:
        marker = data[pos + 1]
        out.append((marker, pos))
        if marker == 0xDA:
            break
        pos += 2 + struct.unpack(">H", data[pos + 2:pos + 4])[0]
    return out


def find_segment(data, marker):
    for m, pos in jpeg_segments(data):
        if m == marker:
            return pos
    raise KeyError(hex(marker))


def exif_segment(body):
    payload = b"Exif\0\0" + body
    return b"\xFF\xE1" + struct.pack(">H", len(payload) + 2) + payload


def tiff_ifd(entries, next_ifd=0, endian="<"):
    out = struct.pack(endian + "H", len(entries))
    for tag, kind, count, value in entries:
        out += struct.pack(endian + "HHI", tag, kind, count) + value
    return out + struct.pack(endian + "I", next_ifd)


def exif_body(endian="<", count=None, x_offset=50, next_ifd=0, unit=2, denominator=1,
              extra=()):
    mark = b"II" if endian == "<" else b"MM"
    entries = [(0x011A, 5, 1, struct.pack(endian + "I", x_offset)),
               (0x011B, 5, 1, struct.pack(endian + "I", (x_offset + 8) & 0xFFFFFFFF)),
               (0x0128, 3, 1, struct.pack(endian + "HH", unit, 0))] + list(extra)
    ifd = tiff_ifd(entries, next_ifd, endian)
    if count is not None:
        ifd = struct.pack(endian + "H", count) + ifd[2:]
    body = mark + struct.pack(endian + "HI", 42, 8) + ifd
    body += bytes(max(0, 50 - len(body)))
    body += struct.pack(endian + "IIII", 300, denominator, 300, denominator)
    return body


def with_exif(jpeg, body):
    return jpeg[:2] + exif_segment(body) + jpeg[2:]


def jpeg_corpus():
    seeds = {k: base64.b64decode(v) for k, v in JPEG_SEEDS.items()}
    seeds["exif"] = with_exif(seeds["colour"], exif_body())
    for name, data in seeds.items():
        scan = find_segment(data, 0xDA)
        truncations(f"jpeg_{name}", "jpg", data, extra=(scan, scan + 6, scan + 14))
        flips(f"jpeg_{name}", "jpg", data, 2, span=len(data))
    colour = seeds["colour"]
    sof = find_segment(colour, 0xC0)
    for label, w, h in [("zero_w", 0, 16), ("zero_h", 16, 0), ("max", 65535, 65535),
                        ("wide", 65535, 1), ("tall", 1, 65535), ("big", 20000, 20000)]:
        emit(f"jpeg_sof_{label}.jpg", patch(colour, sof + 5, struct.pack(">HH", h, w)))
    emit("jpeg_sof_precision12.jpg", patch(colour, sof + 4, b"\x0C"))
    emit("jpeg_sof_components0.jpg", patch(colour, sof + 9, b"\x00"))
    emit("jpeg_sof_components4.jpg", patch(colour, sof + 9, b"\x04"))
    emit("jpeg_sof_sampling0.jpg", patch(colour, sof + 11, b"\x00"))
    emit("jpeg_sof_sampling_ff.jpg", patch(colour, sof + 11, b"\xFF"))
    emit("jpeg_sof_table9.jpg", patch(colour, sof + 12, b"\x09"))
    emit("jpeg_sof_length_short.jpg", patch(colour, sof + 2, b"\x00\x02"))
    emit("jpeg_sof_length_huge.jpg", patch(colour, sof + 2, b"\xFF\xFF"))
    dqt = find_segment(colour, 0xDB)
    emit("jpeg_dqt_table7.jpg", patch(colour, dqt + 4, b"\x07"))
    emit("jpeg_dqt_length0.jpg", patch(colour, dqt + 2, b"\x00\x00"))
    dht = find_segment(colour, 0xC4)
    emit("jpeg_dht_counts_ff.jpg", patch(colour, dht + 5, b"\xFF" * 16))
    emit("jpeg_dht_class9.jpg", patch(colour, dht + 4, b"\x9F"))
    sos = find_segment(colour, 0xDA)
    emit("jpeg_sos_components0.jpg", patch(colour, sos + 4, b"\x00"))
    emit("jpeg_sos_components9.jpg", patch(colour, sos + 4, b"\x09"))
    emit("jpeg_sos_bad_component.jpg", patch(colour, sos + 5, b"\x33"))
    emit("jpeg_no_eoi.jpg", colour[:-2])
    emit("jpeg_scan_zeroed.jpg", colour[:sos + 14] + bytes(len(colour) - sos - 16) + b"\xFF\xD9")
    emit("jpeg_scan_ff.jpg", colour[:sos + 14] + b"\xFF" * (len(colour) - sos - 16) + b"\xFF\xD9")
    emit("jpeg_soi_only.jpg", b"\xFF\xD8")
    emit("jpeg_soi_eoi.jpg", b"\xFF\xD8\xFF\xD9")
    emit("jpeg_marker_storm.jpg", b"\xFF\xD8" + b"\xFF" * 4000)
    emit("jpeg_app_length_past_end.jpg", b"\xFF\xD8\xFF\xE0\xFF\xFF" + bytes(20))
    emit("jpeg_double_sof.jpg", colour[:sos] + colour[sof:dqt if dqt > sof else sos] +
         colour[sos:])
    prog = seeds["progressive"]
    psof = find_segment(prog, 0xC2)
    emit("jpeg_progressive_big.jpg", patch(prog, psof + 5, struct.pack(">HH", 8000, 8000)))
    emit("jpeg_progressive_no_scans.jpg", prog[:find_segment(prog, 0xDA)] + b"\xFF\xD9")
    cmyk = seeds["cmyk"]
    ksof = find_segment(cmyk, 0xC0)
    emit("jpeg_cmyk_as_three.jpg", patch(cmyk, ksof + 9, b"\x03"))
    # EXIF blocks that point nowhere, loop, or divide by zero.
    base = seeds["colour"]
    exif_cases = {
        "count_max": exif_body(count=0xFFFF),
        "count_zero": exif_body(count=0),
        "value_past_end": exif_body(x_offset=0x7FFFFFF0),
        "value_all_ones": exif_body(x_offset=0xFFFFFFFF),
        "next_ifd_loop": exif_body(next_ifd=8),
        "next_ifd_past": exif_body(next_ifd=0xFFFFFFF0),
        "zero_denominator": exif_body(denominator=0),
        "unit_weird": exif_body(unit=77),
        "big_endian": exif_body(endian=">"),
        "subifd_loop": exif_body(extra=[(0x8769, 4, 1, u32(8))]),
        "subifd_past": exif_body(extra=[(0x8769, 4, 1, u32(0xFFFFFF00))]),
        "huge_count": exif_body(extra=[(0x010F, 2, 0xFFFFFFFF, u32(20))]),
        "ifd_offset_past": b"II*\0" + u32(0xFFFFFFF0),
        "ifd_offset_inside_header": b"II*\0" + u32(2) + bytes(8),
        "no_tiff": b"XX",
        "empty": b"",
    }
    for label, body in exif_cases.items():
        emit(f"jpeg_exif_{label}.jpg", with_exif(base, body))
    short = with_exif(base, exif_body())
    emit("jpeg_exif_length_short.jpg", patch(short, 4, b"\x00\x08"))
    emit("jpeg_exif_length_tiny.jpg", patch(short, 4, b"\x00\x01"))
    emit("jpeg_exif_only.jpg", short[:2 + 4 + len(exif_body()) + 6])


# --- PNG ------------------------------------------------------------------------------

def chunk(kind, payload):
    crc = zlib.crc32(kind + payload) & 0xFFFFFFFF
    return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", crc)


PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def png_file(width, height, depth, colour, raw_rows, extra=b"", interlace=0, idat=None):
    ihdr = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace)
    data = idat if idat is not None else zlib.compress(raw_rows, 9)
    return PNG_SIGNATURE + chunk(b"IHDR", ihdr) + extra + chunk(b"IDAT", data) + chunk(b"IEND", b"")


def png_rows(height, row_bytes, fill):
    return b"".join(b"\0" + bytes(fill(y, x) & 255 for x in range(row_bytes))
                    for y in range(height))


def adam7(width, height, channels):
    passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4),
              (1, 0, 2, 2), (0, 1, 1, 2)]
    out = b""
    for x0, y0, dx, dy in passes:
        xs = range(x0, width, dx)
        for y in range(y0, height, dy):
            if len(xs):
                out += b"\0" + bytes((x * 30 + y * 11 + c) & 255 for x in xs for c in range(channels))
    return out


def make_png_seeds():
    seeds = {}
    seeds["grey8"] = png_file(4, 3, 8, 0, png_rows(3, 4, lambda y, x: x * 60 + y))
    seeds["rgb8"] = png_file(3, 2, 8, 2, png_rows(2, 9, lambda y, x: x * 25 + y),
                             extra=chunk(b"pHYs", struct.pack(">IIB", 11811, 11811, 1)))
    seeds["palette"] = png_file(4, 2, 4, 3, png_rows(2, 2, lambda y, x: 0x12 + y),
                                extra=chunk(b"PLTE", bytes(range(12))) +
                                chunk(b"tRNS", bytes([0, 128])))
    seeds["rgba"] = png_file(2, 2, 8, 6, png_rows(2, 8, lambda y, x: x * 30 + y))
    seeds["greyalpha"] = png_file(3, 2, 8, 4, png_rows(2, 6, lambda y, x: x * 40))
    seeds["rgb16"] = png_file(2, 2, 16, 2, png_rows(2, 12, lambda y, x: x * 21),
                              extra=chunk(b"tRNS", bytes(6)))
    seeds["grey2"] = png_file(5, 2, 2, 0, png_rows(2, 2, lambda y, x: 0x1B + y))
    seeds["interlaced"] = png_file(9, 9, 8, 2, b"", interlace=1,
                                   idat=zlib.compress(adam7(9, 9, 3), 9))
    return seeds


def png_corpus():
    seeds = make_png_seeds()
    for name, data in seeds.items():
        truncations(f"png_{name}", "png", data, extra=(8, 16, 33, 37, 41))
        flips(f"png_{name}", "png", data, 2, span=len(data))
    grey = seeds["grey8"]

    def with_ihdr(width, height, depth, colour, interlace=0):
        ihdr = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace)
        return grey[:8] + chunk(b"IHDR", ihdr) + grey[33:]

    for label, w, h in [("zero_w", 0, 3), ("zero_h", 4, 0), ("max", 0x7FFFFFFF, 0x7FFFFFFF),
                        ("over", 0x80000000, 1), ("wide", 1000000, 1), ("big", 20000, 20000),
                        ("tall", 1, 100000000)]:
        emit(f"png_ihdr_{label}.png", with_ihdr(w, h, 8, 0))
    for depth, colour in [(3, 0), (16, 3), (1, 2), (8, 1), (8, 5), (8, 7), (0, 0), (32, 6),
                          (4, 4)]:
        emit(f"png_ihdr_d{depth}_c{colour}.png", with_ihdr(4, 3, depth, colour))
    emit("png_ihdr_interlace9.png", with_ihdr(4, 3, 8, 0, 9))
    emit("png_bad_crc.png", patch(grey, 29, b"\0\0\0\0"))
    raw = png_rows(2, 4, lambda y, x: x)
    for count in (0, 257, 300):
        emit(f"png_plte{count}.png",
             png_file(4, 2, 8, 3, raw, extra=chunk(b"PLTE", bytes(3 * count))))
    emit("png_plte_odd_length.png", png_file(4, 2, 8, 3, raw, extra=chunk(b"PLTE", bytes(7))))
    emit("png_palette_missing.png", png_file(4, 2, 8, 3, raw))
    emit("png_index_past_palette.png",
         png_file(4, 2, 8, 3, png_rows(2, 4, lambda y, x: 250),
                  extra=chunk(b"PLTE", bytes(6))))
    emit("png_trns_longer_than_palette.png",
         png_file(4, 2, 8, 3, raw, extra=chunk(b"PLTE", bytes(12)) + chunk(b"tRNS", bytes(300))))
    emit("png_trns_rgb_wrong_length.png",
         png_file(2, 2, 8, 2, png_rows(2, 6, lambda y, x: x), extra=chunk(b"tRNS", bytes(3))))
    emit("png_trns_on_rgba.png",
         png_file(2, 2, 8, 6, png_rows(2, 8, lambda y, x: x), extra=chunk(b"tRNS", bytes(6))))
    emit("png_phys_huge.png", png_file(4, 2, 8, 0, raw, extra=chunk(
        b"pHYs", struct.pack(">IIB", 0xFFFFFFFF, 0xFFFFFFFF, 1))))
    emit("png_phys_zero.png", png_file(4, 2, 8, 0, raw, extra=chunk(
        b"pHYs", struct.pack(">IIB", 0, 0, 0))))
    emit("png_idat_short.png", png_file(4, 3, 8, 0, png_rows(1, 4, lambda y, x: x)))
    emit("png_idat_long.png", png_file(4, 3, 8, 0, png_rows(300, 4, lambda y, x: x)))
    emit("png_idat_garbage.png", png_file(4, 3, 8, 0, b"", idat=bytes(range(40))))
    emit("png_idat_empty.png", png_file(4, 3, 8, 0, b"", idat=b""))
    emit("png_filter_type9.png", png_file(4, 2, 8, 0, b"\x09" + bytes(4) + b"\x05" + bytes(4)))
    emit("png_bomb.png", png_file(4, 3, 8, 0, bytes(20 * 1024 * 1024)))
    emit("png_no_iend.png", grey[:-12])
    emit("png_chunk_length_huge.png", grey[:33] + struct.pack(">I", 0x7FFFFFFF) + b"IDAT" + grey[41:])
    emit("png_signature_only.png", PNG_SIGNATURE)
    big = png_file(3000, 3000, 8, 2, b"", idat=zlib.compress(b"\0" + bytes(9000), 9))
    emit("png_big_one_row.png", big)


# --- GIF ------------------------------------------------------------------------------

def lzw_encode(indexes, min_code_size):
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    size = min_code_size + 1
    per_clear = max(1, (1 << min_code_size) - 3)
    codes = []
    for i in range(0, len(indexes), per_clear):
        codes.append(clear)
        codes.extend(indexes[i:i + per_clear])
    codes.append(end)
    bits, count, out = 0, 0, bytearray()
    for code in codes:
        bits |= code << count
        count += size
        while count >= 8:
            out.append(bits & 255)
            bits >>= 8
            count -= 8
    if count:
        out.append(bits & 255)
    return bytes(out)


def sub_blocks(data):
    out = b""
    for i in range(0, len(data), 255):
        piece = data[i:i + 255]
        out += bytes([len(piece)]) + piece
    return out + b"\0"


def gif_image(width, height, indexes, min_code_size=2, left=0, top=0, flags=0, local=b""):
    return (b"\x2C" + u16(left) + u16(top) + u16(width) + u16(height) + bytes([flags]) + local +
            bytes([min_code_size]) + sub_blocks(lzw_encode(indexes, min_code_size)))


def gif_file(width, height, images, palette_bits=2, extensions=b""):
    palette = bytes((i * 37) & 255 for i in range(3 * (1 << palette_bits)))
    screen = u16(width) + u16(height) + bytes([0x80 | (palette_bits - 1), 0, 0])
    return b"GIF89a" + screen + palette + extensions + b"".join(images) + b"\x3B"


def gce(transparent):
    return b"\x21\xF9\x04\x01\x0A\x00" + bytes([transparent]) + b"\x00"


def gif_corpus():
    pixels = [(x + y) % 4 for y in range(4) for x in range(4)]
    seeds = {
        "simple": gif_file(4, 4, [gif_image(4, 4, pixels)]),
        "frames": gif_file(4, 4, [gce(1) + gif_image(4, 4, pixels),
                                  gce(2) + gif_image(2, 2, [3, 2, 1, 0], left=1, top=1,
                                                     flags=0x81, local=bytes(range(12)))]),
        "interlaced": gif_file(4, 9, [gif_image(4, 9, [i % 4 for i in range(36)], flags=0x40)]),
        "wide_codes": gif_file(16, 16, [gif_image(16, 16, [i % 256 for i in range(256)],
                                                  min_code_size=8)], palette_bits=8),
    }
    for name, data in seeds.items():
        truncations(f"gif_{name}", "gif", data, extra=(6, 11, 13, 23, 24, 25))
        flips(f"gif_{name}", "gif", data, 3, span=len(data))
    simple = seeds["simple"]
    for label, w, h in [("zero", 0, 0), ("max", 65535, 65535), ("wide", 65535, 1)]:
        emit(f"gif_screen_{label}.gif", patch(simple, 6, u16(w) + u16(h)))
        emit(f"gif_image_{label}.gif", gif_file(4, 4, [gif_image(w, h, pixels)]))
    emit("gif_image_outside_screen.gif", gif_file(4, 4, [gif_image(4, 4, pixels, left=65000,
                                                                   top=65000)]))
    emit("gif_image_larger_than_screen.gif", gif_file(2, 2, [gif_image(4, 4, pixels)]))
    for size in (0, 1, 9, 12, 13, 255):
        emit(f"gif_min_code_size{size}.gif", gif_file(4, 4, [gif_image(4, 4, pixels,
                                                                      min_code_size=size)]))
    emit("gif_too_many_pixels.gif", gif_file(4, 4, [gif_image(4, 4, [1] * 5000)]))
    emit("gif_too_few_pixels.gif", gif_file(4, 4, [gif_image(4, 4, [1] * 3)]))
    emit("gif_codes_past_table.gif", gif_file(4, 4, [
        b"\x2C" + u16(0) * 2 + u16(4) * 2 + b"\0\x02" + sub_blocks(bytes([0xFF] * 40))]))
    emit("gif_no_clear_code.gif", gif_file(4, 4, [
        b"\x2C" + u16(0) * 2 + u16(4) * 2 + b"\0\x02" + sub_blocks(bytes([0x07, 0xFF, 0xFF]))]))
    emit("gif_block_past_end.gif", simple[:-6] + b"\xFF\x01\x02")
    emit("gif_no_terminator.gif", simple[:-1])
    emit("gif_no_image.gif", gif_file(4, 4, []))
    emit("gif_extension_unterminated.gif", gif_file(4, 4, [], extensions=b"\x21\xFE\x05abc"))
    emit("gif_extensions_only.gif", gif_file(4, 4, [], extensions=b"\x21\xFE\x01a\x00" * 2000))
    emit("gif_unknown_block.gif", gif_file(4, 4, [b"\x99" + gif_image(4, 4, pixels)]))
    emit("gif_no_palette.gif", patch(simple, 10, b"\x00"))
    emit("gif_local_palette_short.gif", gif_file(4, 4, [
        b"\x2C" + u16(0) * 2 + u16(4) * 2 + b"\x87" + bytes(10)]))
    emit("gif_gce_bad_size.gif", gif_file(4, 4, [b"\x21\xF9\xFF\x01" + gif_image(4, 4, pixels)]))
    many = [gif_image(1, 1, [1]) for _ in range(3000)]
    emit("gif_many_frames.gif", gif_file(4, 4, many))
    emit("gif87a.gif", b"GIF87a" + simple[6:])
    emit("gif_signature_only.gif", b"GIF89a")


# --- ICO ------------------------------------------------------------------------------

def ico_entry(width, height, colors, bpp, size, offset):
    return bytes([width & 255, height & 255, colors, 0]) + u16(1) + u16(bpp) + u32(size) + u32(offset)


def ico_bitmap(width, height, bpp, palette_count, mask_fill=0x00):
    info = bmp_info(width, height * 2, bpp, colors=palette_count)
    pixels = rows(width, height, bpp, lambda y: bytes((x * 5 + y) & 255
                                                      for x in range((bpp * width + 7) // 8)))
    mask = rows(width, height, 1, lambda y: bytes([mask_fill] * ((width + 7) // 8)))
    return info + palette_bytes(palette_count) + pixels + mask


def ico_file(images, kind=1, directory_sizes=None):
    header = u16(0) + u16(kind) + u16(len(images))
    offset = 6 + 16 * len(images)
    entries, bodies = b"", b""
    for (width, height, colors, bpp, body) in images:
        entries += ico_entry(width, height, colors, bpp, len(body), offset)
        bodies += body
        offset += len(body)
    return header + entries + bodies


def ico_corpus():
    png = make_png_seeds()["rgba"]
    seeds = {
        "8bit": ico_file([(4, 4, 0, 8, ico_bitmap(4, 4, 8, 256, 0x50))]),
        "4bit": ico_file([(5, 3, 16, 4, ico_bitmap(5, 3, 4, 16, 0x00))]),
        "32bit": ico_file([(3, 3, 0, 32, ico_bitmap(3, 3, 32, 0, 0x00))]),
        "png": ico_file([(0, 0, 0, 32, png)]),
        "cursor": ico_file([(8, 8, 2, 1, ico_bitmap(8, 8, 1, 2, 0xFF))], kind=2),
        "two": ico_file([(2, 2, 0, 24, ico_bitmap(2, 2, 24, 0, 0x40)),
                         (4, 4, 0, 8, ico_bitmap(4, 4, 8, 256, 0x00))]),
    }
    for name, data in seeds.items():
        truncations(f"ico_{name}", "ico", data, extra=(22, 30, 62, 70))
        flips(f"ico_{name}", "ico", data, 2, span=len(data))
    base = seeds["8bit"]
    emit("ico_count0.ico", patch(base, 4, u16(0)))
    emit("ico_count_max.ico", patch(base, 4, u16(0xFFFF)))
    emit("ico_type3.ico", patch(base, 2, u16(3)))
    emit("ico_reserved1.ico", patch(base, 0, u16(1)))
    for label, value in [("past", len(base) + 10), ("max", 0x7FFFFFFF), ("all", 0xFFFFFFFF),
                         ("zero", 0), ("inside_directory", 8)]:
        emit(f"ico_offset_{label}.ico", patch(base, 18, u32(value)))
    emit("ico_size_huge.ico", patch(base, 14, u32(0xFFFFFFFF)))
    bmp = 22  # the bitmap header of the first entry
    for label, offset, value in [("bpp0", 14, u16(0)), ("bpp3", 14, u16(3)), ("bpp64", 14, u16(64)),
                                 ("bpp16", 14, u16(16)), ("colors_max", 32, u32(0xFFFFFFFF)),
                                 ("colors300", 32, u32(300)), ("height_neg", 8, u32(-8)),
                                 ("width_max", 4, u32(0x7FFFFFFF)), ("hsize0", 0, u32(0)),
                                 ("hsize_huge", 0, u32(0xFFFFFFF0)), ("rle", 16, u32(1))]:
        emit(f"ico_bmp_{label}.ico", patch(base, bmp + offset, value))
    emit("ico_entry_size_zero_dims_not_png.ico", patch(base, 6, b"\0\0"))
    emit("ico_png_broken.ico", ico_file([(0, 0, 0, 32, png[:40])]))
    emit("ico_png_huge.ico", ico_file([(0, 0, 0, 32, patch(png, 16, struct.pack(
        ">II", 0x7FFFFFFF, 0x7FFFFFFF)))]))
    emit("ico_no_mask.ico", ico_file([(4, 4, 0, 8, ico_bitmap(4, 4, 8, 256)[:-16])]))
    emit("ico_mask_all_set_24.ico", ico_file([(3, 2, 0, 24, ico_bitmap(3, 2, 24, 0, 0xFF))]))
    emit("ico_entry_256.ico", ico_file([(256, 256, 0, 8, ico_bitmap(4, 4, 8, 256))]))


# --- TGA ------------------------------------------------------------------------------

def tga_header(image_type, width, height, depth, descriptor=0, id_length=0, cmap_type=0,
               cmap_first=0, cmap_length=0, cmap_depth=0):
    return (bytes([id_length, cmap_type, image_type]) + u16(cmap_first) + u16(cmap_length) +
            bytes([cmap_depth]) + u16(0) + u16(0) + u16(width) + u16(height) +
            bytes([depth, descriptor]))


def tga_corpus():
    rgb = bytes((i * 17) & 255 for i in range(4 * 3 * 3))
    seeds = {
        "rgb": tga_header(2, 4, 3, 24) + rgb,
        "rle32": tga_header(10, 4, 2, 32, 0x28) + bytes([0x83, 1, 2, 3, 255, 0x03]) +
        bytes(range(16)),
        "mapped": tga_header(1, 3, 2, 8, 0, 3, 1, 0, 4, 24) + b"abc" + bytes(range(12)) +
        bytes([0, 1, 2, 3, 2, 1]),
        "grey_rle": tga_header(11, 5, 2, 8) + bytes([0x84, 9, 0x04, 1, 2, 3, 4, 5]),
        "rgb16": tga_header(2, 2, 2, 16, 0x10) + u16(0x7C00) + u16(0x03E0) + u16(0x001F) +
        u16(0xFFFF),
        "grey": tga_header(3, 3, 1, 8) + bytes([0, 128, 255]),
    }
    for name, data in seeds.items():
        truncations(f"tga_{name}", "tga", data, extra=(3, 8, 12, 17, 19, 21))
        flips(f"tga_{name}", "tga", data, 2, span=len(data))
    base = seeds["rgb"]
    for label, w, h in [("zero_w", 0, 3), ("zero_h", 4, 0), ("max", 65535, 65535),
                        ("wide", 65535, 1), ("9000", 9000, 9000)]:
        emit(f"tga_size_{label}.tga", patch(base, 12, u16(w) + u16(h)))
    for depth in (0, 1, 7, 15, 33, 64, 255):
        emit(f"tga_depth{depth}.tga", patch(base, 16, bytes([depth])))
    for image_type in (0, 4, 9, 12, 32, 255):
        emit(f"tga_type{image_type}.tga", patch(base, 2, bytes([image_type])))
    for length in (257, 1000, 65535):
        emit(f"tga_cmap_length{length}.tga", tga_header(1, 3, 2, 8, 0, 0, 1, 0, length, 24) +
             bytes(12) + bytes(6))
    for cmap_depth in (0, 15, 16, 32, 255):
        emit(f"tga_cmap_depth{cmap_depth}.tga", tga_header(1, 3, 2, 8, 0, 0, 1, 0, 4, cmap_depth) +
             bytes(16) + bytes(6))
    emit("tga_cmap_first_big.tga", tga_header(1, 3, 2, 8, 0, 0, 1, 65000, 4, 24) + bytes(18))
    emit("tga_mapped_no_cmap.tga", tga_header(1, 3, 2, 8) + bytes([7, 200, 255, 0, 1, 2]))
    emit("tga_mapped_index_past_cmap.tga", tga_header(1, 3, 2, 8, 0, 0, 1, 0, 2, 24) + bytes(6) +
         bytes([255] * 6))
    emit("tga_id_past_end.tga", patch(base, 0, b"\xFF"))
    emit("tga_rle_run_past_picture.tga", tga_header(10, 4, 2, 24) + bytes([0xFF, 1, 2, 3]) * 3)
    emit("tga_rle_raw_past_picture.tga", tga_header(10, 2, 2, 24) + bytes([0x7F]) + bytes(384))
    emit("tga_rle_truncated.tga", tga_header(10, 64, 64, 24) + bytes([0x85, 1, 2, 3]))
    emit("tga_rle_zero_data.tga", tga_header(10, 300, 300, 32) + bytes(10))
    emit("tga_rle_mapped.tga", tga_header(9, 4, 4, 8, 0, 0, 1, 0, 2, 24) + bytes(6) +
         bytes([0x8F, 200]))
    emit("tga_mirror_flip.tga", patch(base, 17, b"\x30"))
    emit("tga_descriptor_ff.tga", patch(base, 17, b"\xFF"))
    emit("tga_grey_24.tga", tga_header(3, 2, 2, 24) + bytes(12))
    emit("tga_rgb_8.tga", tga_header(2, 2, 2, 8) + bytes(4))
    emit("tga_header_only.tga", tga_header(2, 4, 3, 24))


# --- WebP -----------------------------------------------------------------------------
# Seeds are the committed fixtures (tests/data/webp, made by cwebp and webpmux).

def fixture(folder, name):
    with open(os.path.join(DATA, folder, name), "rb") as f:
        return f.read()


def riff_chunk(kind, body):
    return kind + u32(len(body)) + body + (b"\0" if len(body) % 2 else b"")


def webp_file(*chunks):
    body = b"WEBP" + b"".join(chunks)
    return b"RIFF" + u32(len(body)) + body


def u24(v):
    return struct.pack("<I", v & 0xFFFFFF)[:3]


def webp_corpus():
    for name in ("lossy", "lossless", "lossy_alpha", "lossless_alpha", "animated"):
        data = fixture("webp", name + ".webp")
        truncations(f"webp_{name}", "webp", data, extra=(12, 16, 20, 30))
        flips(f"webp_{name}", "webp", data, 3, span=len(data))
    lossless = fixture("webp", "lossless.webp")
    for label, value in [("huge", 0xFFFFFFFF), ("small", 4), ("zero", 0), ("odd", 0x7FFFFFFF)]:
        emit(f"webp_riff_size_{label}.webp", patch(lossless, 4, u32(value)))
    # A lossless header (0x2F, then 14 bits each of width - 1 and height - 1) claiming
    # the largest picture, with no data behind it.
    vp8l_max = bytes([0x2F]) + struct.pack("<I", 0x3FFF | (0x3FFF << 14))
    emit("webp_vp8l_16384x16384.webp", webp_file(riff_chunk(b"VP8L", vp8l_max + bytes(20))))
    emit("webp_vp8l_chunk_length_huge.webp", patch(lossless, 16, u32(0x7FFFFFF0)))
    # Extended files: flags, then 24 bits each of canvas width - 1 and height - 1.
    anim_flag, alpha_flag = 0x02, 0x10

    def vp8x(flags, width, height):
        return riff_chunk(b"VP8X", bytes([flags, 0, 0, 0]) + u24(width - 1) + u24(height - 1))

    frame = lossless[12:]  # the VP8L chunk of the lossless fixture, 45 x 31

    def anmf(x, y, width, height, body=frame):
        return riff_chunk(b"ANMF", u24(x // 2) + u24(y // 2) + u24(width - 1) + u24(height - 1) +
                          u24(100) + b"\0" + body)

    anim = riff_chunk(b"ANIM", u32(0xFFFFFFFF) + u16(0))
    emit("webp_vp8x_canvas_max.webp", webp_file(vp8x(anim_flag, 1 << 24, 1 << 24), anim,
                                                anmf(0, 0, 45, 31)))
    emit("webp_vp8x_still_canvas_larger.webp", webp_file(vp8x(0, 90, 62), frame))
    emit("webp_vp8x_alpha_without_alph.webp", webp_file(vp8x(alpha_flag, 45, 31), frame))
    emit("webp_anim_no_frames.webp", webp_file(vp8x(anim_flag, 45, 31), anim))
    emit("webp_anim_frame_outside.webp", webp_file(vp8x(anim_flag, 45, 31), anim,
                                                   anmf(40, 30, 45, 31)))
    emit("webp_anim_frame_size_wrong.webp", webp_file(vp8x(anim_flag, 90, 62), anim,
                                                      anmf(0, 0, 60, 40)))
    emit("webp_anim_frame_huge.webp", webp_file(vp8x(anim_flag, 16384, 16384), anim,
                                                anmf(0, 0, 16384, 16384)))
    emit("webp_anim_frame_empty.webp", webp_file(vp8x(anim_flag, 45, 31), anim,
                                                 anmf(0, 0, 45, 31, b"")))
    emit("webp_anim_nested.webp", webp_file(vp8x(anim_flag, 45, 31), anim,
                                            anmf(0, 0, 45, 31, anmf(0, 0, 45, 31))))


# --- HEIF and AVIF --------------------------------------------------------------------
# Seeds are the committed fixtures (tests/data/heif by heif-enc, tests/data/avif by
# avifenc); the patches find their boxes by name.

def box_at(data, kind, nth=0):
    """Offset of the nth box of that type (its size field)."""
    at = -1
    for _ in range(nth + 1):
        at = data.index(kind, at + 1)
    return at - 4


def isobmff_corpus(prefix, folder, names):
    for name in names:
        data = fixture(folder, name)
        truncations(f"{prefix}_{name.split('.')[0]}", prefix, data, extra=(8, 12, 16, 24, 32))
        flips(f"{prefix}_{name.split('.')[0]}", prefix, data, 4, span=len(data))
    base = fixture(folder, names[0])
    ispe = box_at(base, b"ispe")
    for label, width, height in [("zero", 0, 0), ("max", 0xFFFFFFFF, 0xFFFFFFFF),
                                 ("wide", 0x7FFFFFFF, 1), ("big", 20000, 20000),
                                 ("tall", 1, 100000000)]:
        emit(f"{prefix}_ispe_{label}.{prefix}", patch(base, ispe + 12,
                                                       struct.pack(">II", width, height)))
    for label, value in [("tiny", 8), ("huge", 0xFFFFFFFF), ("zero", 0), ("one", 1)]:
        emit(f"{prefix}_ftyp_size_{label}.{prefix}", patch(base, 0, struct.pack(">I", value)))
        emit(f"{prefix}_meta_size_{label}.{prefix}", patch(base, box_at(base, b"meta"),
                                                           struct.pack(">I", value)))
    emit(f"{prefix}_ftyp_only.{prefix}", base[:struct.unpack(">I", base[:4])[0]])
    emit(f"{prefix}_ftyp_isom.{prefix}", patch(base, 8, b"isom"))
    pitm = box_at(base, b"pitm")
    for label, item in [("zero", 0), ("missing", 999), ("max", 0xFFFF)]:
        emit(f"{prefix}_pitm_{label}.{prefix}", patch(base, pitm + 12, struct.pack(">H", item)))
    emit(f"{prefix}_no_pitm.{prefix}", patch(base, pitm + 4, b"free"))
    ipma = box_at(base, b"ipma")
    emit(f"{prefix}_ipma_index_past.{prefix}", patch(base, ipma + 19, b"\xFF"))
    emit(f"{prefix}_ipma_count_huge.{prefix}", patch(base, ipma + 12, struct.pack(">I", 0xFFFFFF)))
    iloc = box_at(base, b"iloc")
    emit(f"{prefix}_iloc_count_huge.{prefix}", patch(base, iloc + 14, struct.pack(">H", 0xFFFF)))
    emit(f"{prefix}_iloc_sizes_odd.{prefix}", patch(base, iloc + 12, b"\x77\x70"))
    mdat = box_at(base, b"mdat")
    emit(f"{prefix}_mdat_size_huge.{prefix}", patch(base, mdat, struct.pack(">I", 0x7FFFFFFF)))
    emit(f"{prefix}_mdat_zeros.{prefix}", base[:mdat + 8] + bytes(len(base) - mdat - 8))
    emit(f"{prefix}_mdat_missing.{prefix}", base[:mdat])
    emit(f"{prefix}_ftyp_brands_many.{prefix}", struct.pack(">I4s4sI", 0xFFFFFFF0, b"ftyp",
                                                            b"mif1", 0) + b"heic" * 100)


def heif_corpus():
    isobmff_corpus("heif", "heif", ["colour.heic", "alpha.heic", "deep10.heic",
                                    "second_primary.heic", "turned.heic"])
    base = fixture("heif", "colour.heic")
    hvcc = box_at(base, b"hvcC")
    emit("heif_hvcc_arrays_huge.heif", patch(base, hvcc + 30, b"\xFF"))
    emit("heif_hvcc_nal_length_huge.heif", patch(base, hvcc + 34, b"\xFF\xFF"))
    idat = box_at(base, b"idat")  # the grid's description: output width and height
    emit("heif_grid_output_huge.heif", patch(base, idat + 12, struct.pack(">HH", 0xFFFF, 0xFFFF)))
    emit("heif_grid_rows_many.heif", patch(base, idat + 10, b"\xFF\xFF"))
    iref = box_at(base, b"iref")
    emit("heif_iref_loop.heif", patch(base, iref + 22, struct.pack(">H", 2)))


def avif_corpus():
    isobmff_corpus("avif", "avif", ["colour.avif", "alpha.avif", "deep12.avif", "irot1.avif",
                                    "irot3_imir1.avif"])
    base = fixture("avif", "colour.avif")
    av1c = box_at(base, b"av1C")
    emit("avif_av1c_profile_bad.avif", patch(base, av1c + 9, b"\xFF"))
    emit("avif_av1c_size_zero.avif", patch(base, av1c, struct.pack(">I", 0)))


# --- anything at all ------------------------------------------------------------------

def random_corpus():
    emit("empty.bin", b"")
    for n, size in enumerate((1, 2, 3, 7, 18, 54, 100, 511, 1024, 4096, 8192)):
        emit(f"random_{n:02d}_{size}.bin", bytes(rng.randrange(256) for _ in range(size)))
    prefixes = {"bm": b"BM", "jpeg": b"\xFF\xD8\xFF", "ico": b"\0\0\1\0", "cur": b"\0\0\2\0",
                "gif": b"GIF89a", "png": PNG_SIGNATURE, "tga": b"\0\0\2"}
    for label, prefix in prefixes.items():
        for n, size in enumerate((20, 300, 3000)):
            emit(f"random_{label}_{n}.bin", prefix + bytes(rng.randrange(256) for _ in range(size)))
    emit("random_zeros_4096.bin", bytes(4096))
    emit("random_ff_4096.bin", b"\xFF" * 4096)


def random_modern_corpus():
    # After random_corpus, so that the files before keep their bytes.
    prefixes = {"webp": b"RIFF\xFF\xFF\xFF\x7FWEBP", "heic": b"\0\0\0\x18ftypheic\0\0\0\0mif1heic",
                "avif": b"\0\0\0\x18ftypavif\0\0\0\0mif1avif"}
    for label, prefix in prefixes.items():
        for n, size in enumerate((20, 300, 3000)):
            emit(f"random_{label}_{n}.bin", prefix + bytes(rng.randrange(256) for _ in range(size)))


def main():
    bmp_corpus()
    jpeg_corpus()
    png_corpus()
    gif_corpus()
    ico_corpus()
    tga_corpus()
    random_corpus()
    webp_corpus()
    heif_corpus()
    avif_corpus()
    random_modern_corpus()
    for name in os.listdir(HERE):
        if name.startswith(GENERATED_PREFIXES) and name not in written:
            os.remove(os.path.join(HERE, name))
    for name, data in written.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
    print(f"{len(written)} files written to {HERE}")


if __name__ == "__main__":
    main()
