#!/usr/bin/env python3
"""Draws the skin bitmaps of MarlowSetupKit.dll and writes them as 24-bit BMP files beside this script.

    python3 res/bitmaps/generate.py

The set: the window background (102) with its header band, the uninstaller band (139) which is the
same header, and the pieces of the progress bar frame, fill and caps (103, 104, 125-133), plus two
spare strips (111, 136). Sizes are fixed by the painting code; everything else (colours, shapes) can
be changed here and the script rerun. Only the standard library is used, so the output is the same
on every machine.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# Palette. The unfilled part of the bar is painted by the code in UNFILLED; the fill is its warm
# complement so the two read apart at a glance, and black percentage text stays legible on both.
NAVY = (24, 46, 88)
HEADER_TOP = (30, 66, 126)
HEADER_BOTTOM = (52, 108, 182)
ACCENT = (246, 170, 48)
BODY_TOP = (246, 249, 253)
BODY_BOTTOM = (220, 231, 245)
UNFILLED = (104, 164, 226)
FRAME_OUTER = (36, 62, 106)
FRAME_SHADOW = (74, 108, 160)
FRAME_LIGHT = (204, 222, 243)
FRAME_CORNER = (132, 150, 178)
FILL_STOPS = [(0.0, (255, 232, 166)), (0.45, (251, 190, 80)), (0.55, (242, 160, 40)),
              (1.0, (210, 116, 18))]


def lerp(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def blend(under, over, alpha):
    return tuple(round(u + (o - u) * alpha) for u, o in zip(under, over))


def gradient(stops, t):
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return lerp(c0, c1, 0.0 if t1 == t0 else (t - t0) / (t1 - t0))
    return stops[-1][1]


class Image:
    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width, self.height = width, height
        self.rows = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        self.rows[y][x] = colour

    def get(self, x, y):
        return self.rows[y][x]

    def paint(self, x, y, colour, alpha):
        if 0 <= x < self.width and 0 <= y < self.height and alpha > 0:
            self.rows[y][x] = blend(self.rows[y][x], colour, min(alpha, 1.0))

    def crop(self, top, height):
        out = Image(self.width, height)
        out.rows = [list(row) for row in self.rows[top:top + height]]
        return out

    def save(self, name):
        stride = (self.width * 3 + 3) & ~3
        pixels = bytearray()
        for row in reversed(self.rows):  # BMP rows run bottom-up
            line = bytearray()
            for r, g, b in row:
                line += bytes((b, g, r))
            line += b"\0" * (stride - len(line))
            pixels += line
        header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(pixels),
                           2835, 2835, 0, 0)
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(header + info + pixels)


def coverage(distance, half_width):
    """Anti-aliased coverage of a pixel whose centre lies `distance` from a shape's spine."""
    return max(0.0, min(1.0, half_width + 0.5 - distance))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def stroke(image, segments, half_width, colour, alpha=1.0):
    """Draws round-capped strokes along `segments` ((x0, y0, x1, y1) in pixels)."""
    pad = half_width + 2
    x0 = int(min(min(s[0], s[2]) for s in segments) - pad)
    x1 = int(max(max(s[0], s[2]) for s in segments) + pad)
    y0 = int(min(min(s[1], s[3]) for s in segments) - pad)
    y1 = int(max(max(s[1], s[3]) for s in segments) + pad)
    for y in range(max(0, y0), min(image.height, y1 + 1)):
        for x in range(max(0, x0), min(image.width, x1 + 1)):
            d = min(segment_distance(x + 0.5, y + 0.5, *s) for s in segments)
            image.paint(x, y, colour, coverage(d, half_width) * alpha)


def ring(image, cx, cy, radius, half_width, colour, alpha):
    for y in range(max(0, int(cy - radius - half_width - 2)), min(image.height, int(cy + radius + half_width + 3))):
        for x in range(max(0, int(cx - radius - half_width - 2)), min(image.width, int(cx + radius + half_width + 3))):
            d = abs(math.hypot(x + 0.5 - cx, y + 0.5 - cy) - radius)
            image.paint(x, y, colour, coverage(d, half_width) * alpha)


def disc(image, cx, cy, radius, colour, alpha):
    for y in range(max(0, int(cy - radius - 2)), min(image.height, int(cy + radius + 3))):
        for x in range(max(0, int(cx - radius - 2)), min(image.width, int(cx + radius + 3))):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            image.paint(x, y, colour, max(0.0, min(1.0, radius + 0.5 - d)) * alpha)


# A small stroke font for the word mark, on a 0..1 square (x to the right, y down).
LETTERS = {
    "V": [(0, 0, 0.5, 1), (0.5, 1, 1, 0)],
    "E": [(0, 0, 0, 1), (0, 0, 0.9, 0), (0, 0.5, 0.75, 0.5), (0, 1, 0.9, 1)],
    "L": [(0, 0, 0, 1), (0, 1, 0.85, 1)],
    "M": [(0, 1, 0, 0), (0, 0, 0.5, 0.6), (0.5, 0.6, 1, 0), (1, 0, 1, 1)],
    "A": [(0, 1, 0.5, 0), (0.5, 0, 1, 1), (0.22, 0.62, 0.78, 0.62)],
    "R": [(0, 1, 0, 0), (0, 0, 0.7, 0), (0.7, 0, 0.9, 0.12), (0.9, 0.12, 0.9, 0.38),
          (0.9, 0.38, 0.7, 0.5), (0.7, 0.5, 0, 0.5), (0.45, 0.5, 0.95, 1)],
}


def word_mark(image, text, left, top, height, half_width, colour, tracking):
    x = left
    for letter in text:
        width = height * 0.8
        segments = [(x + ax * width, top + ay * height, x + bx * width, top + by * height)
                    for ax, ay, bx, by in LETTERS[letter]]
        stroke(image, segments, half_width, colour)
        x += width + tracking
    return x


def header(image, height):
    """The dark band at the top: gradient, soft light circles, word mark and an accent line."""
    for y in range(height):
        for x in range(image.width):
            t = y / (height - 1)
            base = lerp(HEADER_TOP, HEADER_BOTTOM, t)
            # A little lighter towards the right so the band does not look flat.
            image.put(x, y, lerp(base, (78, 134, 204), 0.35 * x / image.width))
    disc(image, 470, -40, 110, (255, 255, 255), 0.06)
    disc(image, 540, 30, 70, (255, 255, 255), 0.05)
    ring(image, 470, -40, 128, 1.0, (255, 255, 255), 0.12)
    # The mark: a chevron in the accent colour, then the name.
    stroke(image, [(24, 17, 35, 45), (35, 45, 46, 17)], 3.2, ACCENT)
    word_mark(image, "VELMAR", 60, 20, 22, 1.6, (255, 255, 255), 7)
    for x in range(image.width):
        image.put(x, height - 2, ACCENT)
        image.put(x, height - 1, lerp(ACCENT, (180, 108, 20), 0.5))


def background():
    image = Image(550, 370)
    header_height = 66
    for y in range(header_height, image.height):
        t = (y - header_height) / (image.height - header_height - 1)
        row = lerp(BODY_TOP, BODY_BOTTOM, t)
        for x in range(image.width):
            image.put(x, y, row)
    header(image, header_height)
    # A large, quiet emblem on the right half; text and the bar live on the left half.
    ring(image, 440, 190, 92, 9.0, UNFILLED, 0.10)
    ring(image, 440, 190, 66, 1.2, UNFILLED, 0.22)
    ring(image, 440, 190, 118, 0.8, UNFILLED, 0.16)
    stroke(image, [(398, 148, 440, 236), (440, 236, 482, 148)], 11.0, (255, 255, 255), 0.55)
    stroke(image, [(398, 148, 440, 236), (440, 236, 482, 148)], 7.0, ACCENT, 0.55)
    # The footer behind the buttons: a hairline and a slightly deeper tint.
    for y in range(318, image.height):
        for x in range(image.width):
            image.put(x, y, blend(image.get(x, y), (196, 212, 234), 0.35))
    for x in range(image.width):
        image.put(x, 317, blend(image.get(x, 317), NAVY, 0.25))
        image.put(x, 318, blend(image.get(x, 318), (255, 255, 255), 0.7))
    return image


def column(width, height, colours_by_x):
    image = Image(width, height)
    for y in range(height):
        for x in range(width):
            image.put(x, y, colours_by_x[x])
    return image


def row_image(width, height, colours_by_y):
    image = Image(width, height)
    for y in range(height):
        for x in range(width):
            image.put(x, y, colours_by_y[y])
    return image


def fill_colour(y, height=22):
    return gradient(FILL_STOPS, y / (height - 1))


def main():
    bg = background()
    bg.save("background.bmp")                    # 102
    bg.crop(0, 66).save("uninstall_band.bmp")    # 139

    # Frame: a dark outer line, an inset line that is shadow on the top and left, light on the
    # bottom and right. Edges are uniform along their length, so tiling and stretching leave no
    # seams; the corners round the outer line off with a half-tone pixel.
    column(2, 22, [FRAME_OUTER, FRAME_SHADOW]).save("bar_left.bmp")          # 128
    column(2, 21, [FRAME_LIGHT, FRAME_OUTER]).save("bar_right.bmp")          # 129
    row_image(265, 2, [FRAME_OUTER, FRAME_SHADOW]).save("bar_top.bmp")       # 130
    row_image(266, 2, [FRAME_LIGHT, FRAME_OUTER]).save("bar_bottom.bmp")     # 125
    corners = {
        "bar_top_left.bmp": [[FRAME_CORNER, FRAME_OUTER], [FRAME_OUTER, FRAME_SHADOW]],       # 131
        "bar_top_right.bmp": [[FRAME_OUTER, FRAME_CORNER], [FRAME_SHADOW, FRAME_OUTER]],      # 132
        "bar_bottom_left.bmp": [[FRAME_OUTER, FRAME_LIGHT], [FRAME_CORNER, FRAME_OUTER]],     # 126
        "bar_bottom_right.bmp": [[FRAME_LIGHT, FRAME_OUTER], [FRAME_OUTER, FRAME_CORNER]],    # 127
    }
    for name, pixels in corners.items():
        image = Image(2, 2)
        for y in range(2):
            for x in range(2):
                image.put(x, y, pixels[y][x])
        image.save(name)

    # Fill and caps share the fill's vertical gradient; a gloss line near the top.
    fill = Image(1, 22)
    for y in range(22):
        colour = fill_colour(y)
        if y == 1:
            colour = blend(colour, (255, 255, 255), 0.5)
        fill.put(0, y, colour)
    fill.save("bar_fill.bmp")  # 133
    left_cap = Image(2, 22)
    right_cap = Image(2, 22)
    for y in range(22):
        colour = fill_colour(y)
        left_cap.put(0, y, blend(colour, (150, 80, 8), 0.55))
        left_cap.put(1, y, blend(colour, (255, 255, 255), 0.25))
        right_cap.put(0, y, blend(colour, (150, 80, 8), 0.6))
        right_cap.put(1, y, blend(UNFILLED, (40, 70, 120), 0.35))
    left_cap.save("bar_left_cap.bmp")    # 103
    right_cap.save("bar_right_cap.bmp")  # 104

    # Spares, kept in the same palette: a short sample of the fill and a two-line divider.
    spare = Image(40, 8)
    for y in range(8):
        for x in range(40):
            spare.put(x, y, fill_colour(round(y * 21 / 7)))
    spare.save("spare_strip.bmp")                                        # 111
    row_image(40, 2, [NAVY, FRAME_LIGHT]).save("spare_line.bmp")          # 136


if __name__ == "__main__":
    main()
