#!/usr/bin/env python3
"""Draws Reelwright's artwork: the application icon at every hicolor size and the
468 x 60 banner of the main dialog. Standard library only, so the pictures can be
drawn again on any machine, pixel for pixel the same.

    python3 data/make_artwork.py      writes data/icons/reelwright-N.png, data/banner.png

Every shape is a signed distance function; a pixel's coverage is how far its centre
lies inside the edge (clamped to 0..1), which gives clean antialiased edges at every
size without supersampling. Text is drawn with a small monoline alphabet of strokes
and arcs, so no font file is needed.
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ICON_SIZES = (16, 32, 48, 64, 128, 256)


# ---------------------------------------------------------------- PNG output


def write_png(path, width, height, rows, alpha):
    """rows: one bytes object per row, RGB or RGBA, top row first."""
    colour_type = 6 if alpha else 2
    raw = b"".join(b"\x00" + row for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", header))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


# ---------------------------------------------------------------- canvas


def hex_colour(text, alpha=1.0):
    text = text.lstrip("#")
    return tuple(int(text[i : i + 2], 16) / 255 for i in (0, 2, 4)) + (alpha,)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


class Canvas:
    """Straight (not premultiplied) RGBA in floats, painted with 'over'."""

    def __init__(self, width, height, background=(0.0, 0.0, 0.0, 0.0)):
        self.width = width
        self.height = height
        self.pixels = [list(background) for _ in range(width * height)]

    def fill(self, distance, paint, box=None):
        """distance(x, y) in pixels, negative inside; paint is a colour or a
        function (x, y) -> colour; box = (x0, y0, x1, y1) limits the work."""
        x0, y0, x1, y1 = box if box else (0, 0, self.width, self.height)
        x0, y0 = max(0, int(math.floor(x0)) - 1), max(0, int(math.floor(y0)) - 1)
        x1 = min(self.width, int(math.ceil(x1)) + 1)
        y1 = min(self.height, int(math.ceil(y1)) + 1)
        for y in range(y0, y1):
            for x in range(x0, x1):
                cx, cy = x + 0.5, y + 0.5
                coverage = 0.5 - distance(cx, cy)
                if coverage <= 0:
                    continue
                colour = paint(cx, cy) if callable(paint) else paint
                self._blend(y * self.width + x, colour, min(1.0, coverage))

    def _blend(self, index, colour, coverage):
        r, g, b, a = colour
        a *= coverage
        dst = self.pixels[index]
        out_a = a + dst[3] * (1 - a)
        if out_a <= 0:
            return
        for i, c in enumerate((r, g, b)):
            dst[i] = (c * a + dst[i] * dst[3] * (1 - a)) / out_a
        dst[3] = out_a

    def rows(self, alpha):
        channels = 4 if alpha else 3
        out = []
        for y in range(self.height):
            row = bytearray()
            for x in range(self.width):
                px = self.pixels[y * self.width + x]
                row.extend(max(0, min(255, round(c * 255))) for c in px[:channels])
            out.append(bytes(row))
        return out

    def save(self, path, alpha):
        write_png(path, self.width, self.height, self.rows(alpha), alpha)


# ---------------------------------------------------------------- shapes


def rounded_box(x0, y0, x1, y1, radius):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hw, hh = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def distance(x, y):
        qx, qy = abs(x - cx) - hw, abs(y - cy) - hh
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return distance


def circle(cx, cy, radius):
    return lambda x, y: math.hypot(x - cx, y - cy) - radius


def segment(ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-12

    def distance(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - half_width

    return distance


def arc(cx, cy, radius, start, end, half_width):
    """Screen coordinates (y down); angles in degrees counter-clockwise as the eye
    sees it, so 90 is the top of the circle. start < end."""
    a0, a1 = math.radians(start), math.radians(end)
    ends = [(cx + radius * math.cos(a), cy - radius * math.sin(a)) for a in (a0, a1)]

    def distance(x, y):
        angle = math.atan2(-(y - cy), x - cx)
        while angle < a0:
            angle += 2 * math.pi
        if angle <= a1:
            return abs(math.hypot(x - cx, y - cy) - radius) - half_width
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - half_width

    return distance


def clipped(shape, clip):
    return lambda x, y: max(shape(x, y), clip(x, y))


def vertical_gradient(top_y, bottom_y, top, bottom):
    span = (bottom_y - top_y) or 1

    def paint(x, y):
        return mix(top, bottom, max(0.0, min(1.0, (y - top_y) / span)))

    return paint


# ---------------------------------------------------------------- landscape frames

SCENES = {
    "day": dict(sky=("#3F8FD2", "#BDE3F6"), sun="#FFC83D", far="#6DB560", near="#3D8B45"),
    "dusk": dict(sky=("#5B4B8A", "#F6A35C"), sun="#FFE08A", far="#8E5A7A", near="#4F3559"),
    "night": dict(sky=("#0F1C3D", "#2C4A7C"), sun="#F3EFD8", far="#27406A", near="#172846"),
}


def draw_scene(canvas, x0, y0, x1, y1, radius, scene):
    """A small landscape: sky, a sun (or moon), two hills, clipped to the window."""
    colours = SCENES[scene]
    w, h = x1 - x0, y1 - y0
    window = rounded_box(x0, y0, x1, y1, radius)
    box = (x0, y0, x1, y1)
    sky = vertical_gradient(y0, y1, hex_colour(colours["sky"][0]), hex_colour(colours["sky"][1]))
    canvas.fill(window, sky, box)
    sun = circle(x0 + 0.72 * w, y0 + 0.3 * h, 0.13 * h)
    canvas.fill(clipped(sun, window), hex_colour(colours["sun"]), box)
    far_hill = circle(x0 + 0.25 * w, y0 + 1.55 * h, 0.95 * h)
    canvas.fill(clipped(far_hill, window), hex_colour(colours["far"]), box)
    near_hill = circle(x0 + 0.8 * w, y0 + 1.75 * h, 1.05 * h)
    canvas.fill(clipped(near_hill, window), hex_colour(colours["near"]), box)


# ---------------------------------------------------------------- the icon

FILM_TOP = "#3B4252"
FILM_BOTTOM = "#23272F"
SPROCKET = "#ECE6D6"


def draw_icon(size):
    """A strip of film seen face on: sprocket holes above and below one frame that
    holds a sunny landscape."""
    s = float(size)
    canvas = Canvas(size, size)
    left, right, top, bottom = 0.05 * s, 0.95 * s, 0.13 * s, 0.87 * s
    film = rounded_box(left, top, right, bottom, 0.09 * s)
    canvas.fill(
        film,
        vertical_gradient(top, bottom, hex_colour(FILM_TOP), hex_colour(FILM_BOTTOM)),
        (left, top, right, bottom),
    )
    # Fewer, larger holes where a pixel is a large part of the picture.
    holes = 3 if size <= 16 else 4 if size <= 32 else 5
    pitch = (right - left) / holes
    hole_w, hole_h = max(0.48 * pitch, 1.6), max(0.065 * s, 1.3)
    for row_y in (top + 0.075 * s, bottom - 0.075 * s):
        for i in range(holes):
            cx = left + (i + 0.5) * pitch
            box = (cx - hole_w / 2, row_y - hole_h / 2, cx + hole_w / 2, row_y + hole_h / 2)
            canvas.fill(rounded_box(*box, min(hole_h, hole_w) * 0.3), hex_colour(SPROCKET), box)
    draw_scene(canvas, 0.12 * s, 0.28 * s, 0.88 * s, 0.72 * s, 0.035 * s, "day")
    return canvas


# ---------------------------------------------------------------- monoline lettering

# Glyphs in units of the capital height (baseline 0, y up): ("l", x0, y0, x1, y1) is a
# stroke, ("a", cx, cy, r, start, end) an arc, ("d", x, y) a dot. Round letters are
# circles of the x-height, so the alphabet reads as one geometric family.
XH = 0.72
R = XH / 2
GLYPHS = {
    " ": (0.34, []),
    "a": (2 * R, [("a", R, R, R, 0, 360), ("l", 2 * R, 0, 2 * R, XH)]),
    "c": (2 * R - 0.04, [("a", R, R, R, 48, 312)]),
    "d": (2 * R, [("a", R, R, R, 0, 360), ("l", 2 * R, 0, 2 * R, 1.0)]),
    "e": (2 * R, [("a", R, R, R, 0, 318), ("l", 0, R, 2 * R, R)]),
    "g": (
        2 * R,
        [("a", R, R, R, 0, 360), ("l", 2 * R, XH, 2 * R, 0.02), ("a", 2 * R - 0.28, 0.02, 0.28, 200, 360)],
    ),
    "h": (2 * R, [("l", 0, 0, 0, 1.0), ("a", R, XH - R, R, 0, 180), ("l", 2 * R, XH - R, 2 * R, 0)]),
    "i": (0.0, [("l", 0, 0, 0, XH), ("d", 0, XH + 0.22)]),
    "l": (0.0, [("l", 0, 0, 0, 1.0)]),
    "n": (2 * R, [("l", 0, 0, 0, XH), ("a", R, XH - R, R, 0, 180), ("l", 2 * R, XH - R, 2 * R, 0)]),
    "o": (2 * R, [("a", R, R, R, 0, 360)]),
    "r": (0.46, [("l", 0, 0, 0, XH), ("a", R, XH - R, R, 62, 180)]),
    "s": (
        0.5,
        [("a", 0.25, XH * 0.75, XH / 4, 40, 270), ("a", 0.25, XH / 4, XH / 4, 220, 450)],
    ),
    "t": (0.42, [("l", 0.16, 0.94, 0.16, 0), ("l", 0, XH, 0.42, XH)]),
    "u": (2 * R, [("l", 0, XH, 0, R), ("a", R, R, R, 180, 360), ("l", 2 * R, XH, 2 * R, 0)]),
    "w": (0.9, [("l", 0, XH, 0.225, 0), ("l", 0.225, 0, 0.45, XH), ("l", 0.45, XH, 0.675, 0),
                ("l", 0.675, 0, 0.9, XH)]),
    "F": (0.5, [("l", 0, 0, 0, 1.0), ("l", 0, 1.0, 0.5, 1.0), ("l", 0, 0.54, 0.42, 0.54)]),
    "P": (0.56, [("l", 0, 0, 0, 1.0), ("l", 0, 1.0, 0.29, 1.0), ("l", 0, 0.48, 0.29, 0.48),
                 ("a", 0.29, 0.74, 0.26, -90, 90)]),
    "R": (0.6, [("l", 0, 0, 0, 1.0), ("l", 0, 1.0, 0.29, 1.0), ("l", 0, 0.48, 0.29, 0.48),
                ("a", 0.29, 0.74, 0.26, -90, 90), ("l", 0.26, 0.48, 0.6, 0)]),
}
LETTER_GAP = 0.2


def text_width(text, cap, stroke):
    units = sum(GLYPHS[ch][0] for ch in text) + LETTER_GAP * (len(text) - 1)
    return units * cap + stroke * len(text)


def draw_text(canvas, text, x, baseline, cap, stroke, colour):
    """Draws text with its first stroke's outer edge at x; returns the end x."""
    half = stroke / 2
    pen = x + half
    for ch in text:
        width, strokes = GLYPHS[ch]
        for part in strokes:
            if part[0] == "l":
                _, ax, ay, bx, by = part
                shape = segment(pen + ax * cap, baseline - ay * cap, pen + bx * cap,
                                baseline - by * cap, half)
                box = (min(pen + ax * cap, pen + bx * cap) - half,
                       baseline - max(ay, by) * cap - half,
                       max(pen + ax * cap, pen + bx * cap) + half,
                       baseline - min(ay, by) * cap + half)
            elif part[0] == "a":
                _, cx, cy, r, start, end = part
                px, py = pen + cx * cap, baseline - cy * cap
                shape = arc(px, py, r * cap, start, end, half)
                box = (px - r * cap - half, py - r * cap - half, px + r * cap + half,
                       py + r * cap + half)
            else:
                _, dx, dy = part
                px, py = pen + dx * cap, baseline - dy * cap
                shape = circle(px, py, half * 1.15)
                box = (px - stroke, py - stroke, px + stroke, py + stroke)
            canvas.fill(shape, colour, box)
        pen += width * cap + stroke + LETTER_GAP * cap
    return pen - LETTER_GAP * cap - half


# ---------------------------------------------------------------- the banner

BANNER_WIDTH, BANNER_HEIGHT = 468, 60
TITLE = "Reelwright"
SLOGAN = "Pictures into Flash slideshows"


def draw_banner():
    """The dialog's banner: a length of film carrying three frames (day, dusk,
    night) with the program's name and slogan between them."""
    w, h = BANNER_WIDTH, BANNER_HEIGHT
    canvas = Canvas(w, h, hex_colour(FILM_BOTTOM))
    canvas.fill(lambda x, y: -1.0,
                vertical_gradient(0, h, hex_colour(FILM_TOP), hex_colour(FILM_BOTTOM)))
    # Perforations along both edges, as on a real strip of film.
    for row_y in (5.0, h - 5.0):
        x = 6.0
        while x + 7 <= w - 4:
            box = (x, row_y - 2.25, x + 7, row_y + 2.25)
            canvas.fill(rounded_box(*box, 1.3), hex_colour(SPROCKET, 0.9), box)
            x += 13.0
    frame_top, frame_bottom = 12.0, 48.0
    draw_scene(canvas, 10, frame_top, 58, frame_bottom, 2.5, "day")
    draw_scene(canvas, 356, frame_top, 404, frame_bottom, 2.5, "dusk")
    draw_scene(canvas, 412, frame_top, 460, frame_bottom, 2.5, "night")

    draw_text(canvas, TITLE, 72, 30.0, 18.0, 2.8, hex_colour("#F6F1E4"))
    draw_text(canvas, SLOGAN, 72.5, 47.0, 8.5, 1.45, hex_colour("#F2B84B"))
    return canvas


def main():
    icon_folder = os.path.join(HERE, "icons")
    os.makedirs(icon_folder, exist_ok=True)
    for size in ICON_SIZES:
        draw_icon(size).save(os.path.join(icon_folder, "reelwright-%d.png" % size), alpha=True)
    draw_banner().save(os.path.join(HERE, "banner.png"), alpha=False)


if __name__ == "__main__":
    main()
