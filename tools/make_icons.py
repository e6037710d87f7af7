#!/usr/bin/env python3
"""Draws Loudmark's eleven tray icons and their preview.

Every icon file holds seven images under its one resource number:
- 32-bit colour with an alpha channel at 16, 20, 24, 32 and 48 pixels, for the small
  icon at 100%, 125%, 150% and 200% and the large one at 150% (Windows XP and later);
- the classic 16-colour palette at 32 and 16 pixels, with an AND mask for the
  transparent surround, for the systems before those.

The pictures are built from geometry: each sample point is classified against the
shapes (disc, marks, outlines, arrows), 8 x 8 samples per pixel are counted, and the
mixed colour becomes the pixel (with its coverage as alpha), or is snapped to the
palette. Shapes are measured in the units of the 32-pixel picture; outlines and the
rim keep at least one pixel's width at the smaller sizes. The turned frames come from
turning the sample points, not the pixels, so the logo keeps its shape at 45 degrees;
quarter turns are done exactly (on whole sample indices), so at every size the
90/180/270 frames are the upright logo's pixels turned, and the 135/225/315 frames the
45 one's.

Standard library only:  python3 tools/make_icons.py   (writes res/icons/*.ico and
docs/icons-preview.png under the repository this file sits in).
"""

import math
import os
import struct
import sys
import zlib

SIZE = 32                 # the picture's own units: shapes are measured in its pixels
ALPHA_SIZES = [16, 20, 24, 32, 48]
PALETTE_SIZES = [32, 16]
SS = 8                    # samples per pixel along each axis; a power of two keeps
                          # the sample grid exact under quarter turns
CENTRE = SIZE / 2.0       # the disc's centre, on the corner shared by four pixels

# The classic Windows 16-colour palette, in its usual order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, GREEN_DARK, OLIVE, NAVY = 0, 2, 3, 4
LIME, YELLOW, BLUE, WHITE = 10, 11, 12, 15

# Colours a mixed pixel may snap to. Keeping grey, teal, purple and red out stops a
# blend of two neighbours from turning into a colour that is in neither.
BLEND_CHOICES = [BLACK, GREEN_DARK, OLIVE, NAVY, LIME, YELLOW, BLUE, WHITE]

TRANSPARENT = None

# The alpha images are not bound to the palette: the same roles in softer colours.
TRUE_COLOURS = {
    BLACK: (0x16, 0x16, 0x1C), GREEN_DARK: (0x1E, 0x7A, 0x2C), OLIVE: (0x8A, 0x80, 0x10),
    NAVY: (0x12, 0x2E, 0x7C), LIME: (0x3C, 0xD8, 0x4C), YELLOW: (0xFF, 0xD6, 0x24),
    BLUE: (0x2C, 0x6A, 0xDE), WHITE: (0xFF, 0xFF, 0xFF),
}

# --- geometry --------------------------------------------------------------------
# Shapes are signed distance functions in pixels, relative to the disc's centre,
# y pointing down: negative inside, positive outside.


def ellipse(cx, cy, rx, ry, tilt_degrees):
    c, s = math.cos(math.radians(tilt_degrees)), math.sin(math.radians(tilt_degrees))
    k = min(rx, ry)

    def sdf(x, y):
        dx, dy = x - cx, y - cy
        u, v = dx * c + dy * s, -dx * s + dy * c
        # scaled radial distance: near enough to true distance for outlines this thin
        return (math.hypot(u / rx, v / ry) - 1.0) * k
    return sdf


def stroke(points, radius):
    """A polyline with round joins and ends."""
    segments = list(zip(points, points[1:]))

    def sdf(x, y):
        best = 1e9
        for (ax, ay), (bx, by) in segments:
            ex, ey = bx - ax, by - ay
            t = ((x - ax) * ex + (y - ay) * ey) / (ex * ex + ey * ey)
            t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
            d = math.hypot(x - ax - t * ex, y - ay - t * ey)
            if d < best:
                best = d
        return best - radius
    return sdf


def box(x0, y0, x1, y1):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0)
    return sdf


def polygon(points):
    """A convex polygon, points clockwise on screen (y down)."""
    edges = []
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        length = math.hypot(bx - ax, by - ay)
        # outward normal of a clockwise edge with y down
        edges.append((ax, ay, (by - ay) / length, -(bx - ax) / length, bx, by))

    def sdf(x, y):
        inside = max((x - ax) * nx + (y - ay) * ny for ax, ay, nx, ny, _, _ in edges)
        if inside <= 0.0:
            return inside
        # outside: the true distance is to the nearest edge segment
        best = 1e9
        for ax, ay, _, _, bx, by in edges:
            ex, ey = bx - ax, by - ay
            t = ((x - ax) * ex + (y - ay) * ey) / (ex * ex + ey * ey)
            t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
            best = min(best, math.hypot(x - ax - t * ex, y - ay - t * ey))
        return best
    return sdf


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


# --- the pictures ------------------------------------------------------------------

DISC_RADIUS = 15.0        # one transparent pixel all round
RIM_WIDTH = 1.3           # the navy edge that keeps the disc crisp on any taskbar
OUTLINE = 1.0             # black outline around every mark
THINNEST = 1.0            # in pixels of the image drawn: outline and rim never get thinner


def note(head_x, head_y, stem_top, flag=False):
    """A note mark: a tilted oval head, a stem up from its right side and, if asked,
    a flag curling down from the stem's top."""
    rx, ry = 3.7, 2.75
    head = ellipse(head_x, head_y, rx, ry, -24.0)
    # two pixels wide on whole-pixel edges, so the upright stems come out crisp
    stem_x = head_x + 2.5
    stem = box(stem_x - 1.0, stem_top, stem_x + 1.0, head_y - 0.3)
    parts = [head, stem]
    if flag:
        parts.append(stroke([(stem_x, stem_top + 0.8), (stem_x + 2.0, stem_top + 2.2),
                             (stem_x + 3.2, stem_top + 4.0), (stem_x + 3.0, stem_top + 6.0)],
                            0.9))
    shine = ellipse(head_x - 1.2, head_y - 0.7, 1.15, 0.7, -24.0)
    return union(*parts), shine


# The two marks: a yellow note on the left, higher; a green one on the right, lower,
# so that the pair reads differently at every eighth of a turn.
YELLOW_NOTE, YELLOW_SHINE = note(-5.5, 5.5, -8.0, flag=True)
GREEN_NOTE, GREEN_SHINE = note(4.5, 3.0, -10.0, flag=True)

ARROW_UP = union(polygon([(0.0, -11.5), (8.5, -1.0), (-8.5, -1.0)]),
                 box(-3.2, -2.0, 3.2, 10.0))


def arrow_down_shape(x, y):
    return ARROW_UP(x, -y)


def classify_marks(marks, x, y, outline):
    """Colour index of the marks at a point in the upright frame, or None if the disc
    shows through. Later marks lie over earlier ones."""
    result = None
    for shape, fill, shine in marks:
        d = shape(x, y)
        if d < 0.0:
            result = WHITE if shine is not None and shine(x, y) < 0.0 else fill
        elif d < outline:
            result = BLACK
    return result


LOGO_MARKS = [(YELLOW_NOTE, YELLOW, YELLOW_SHINE), (GREEN_NOTE, LIME, GREEN_SHINE)]


def quarter_turns_back(x, y, quarters):
    """The point turned back by `quarters` quarter turns clockwise, exactly."""
    for _ in range(quarters % 4):
        x, y = y, -x
    return x, y


def sample(marks, degrees, size):
    """A size x size picture: for each pixel, how many of its samples fall on each
    colour index (TRANSPARENT outside the disc)."""
    quarters, rest = divmod(degrees, 90)
    assert rest in (0, 45)
    cos_r, sin_r = math.cos(math.radians(rest)), math.sin(math.radians(rest))
    n = size * SS
    # Sample i along an axis sits at the odd number 2i + 1 - n, which a quarter turn
    # maps onto another sample's number exactly; `unit` turns it into picture units.
    unit = SIZE / (2.0 * n)
    scale = SIZE / size
    outline = max(OUTLINE, THINNEST * scale)
    rim = max(RIM_WIDTH, THINNEST * scale)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            counts = {}
            for ky in range(SS):
                for kx in range(SS):
                    sx, sy = 2 * (px * SS + kx) + 1 - n, 2 * (py * SS + ky) + 1 - n
                    r = math.hypot(sx, sy) * unit
                    if r >= DISC_RADIUS:
                        colour = TRANSPARENT
                    else:
                        colour = None
                        if marks:
                            qx, qy = quarter_turns_back(sx, sy, quarters)
                            ux, uy = qx * unit, qy * unit
                            if rest:
                                ux, uy = ux * cos_r + uy * sin_r, -ux * sin_r + uy * cos_r
                            colour = classify_marks(marks, ux, uy, outline)
                        if colour is None:
                            colour = NAVY if r >= DISC_RADIUS - rim else BLUE
                    counts[colour] = counts.get(colour, 0) + 1
            row.append(counts)
        rows.append(row)
    return rows


def palette_picture(samples):
    """Rows of palette indices or TRANSPARENT."""
    return [[snap(counts) for counts in row] for row in samples]


def alpha_picture(samples):
    """Rows of (r, g, b, a): the mean colour of the covered samples, their share as
    alpha. A pixel nothing covers is (0, 0, 0, 0)."""
    total = SS * SS
    rows = []
    for row in samples:
        out = []
        for counts in row:
            opaque = total - counts.get(TRANSPARENT, 0)
            if opaque == 0:
                out.append((0, 0, 0, 0))
                continue
            rgb = [round(sum(TRUE_COLOURS[c][i] * k for c, k in counts.items() if c is not None) / opaque)
                   for i in range(3)]
            out.append((rgb[0], rgb[1], rgb[2], round(255 * opaque / total)))
        rows.append(out)
    return rows


def snap(counts):
    total = SS * SS
    opaque = total - counts.get(TRANSPARENT, 0)
    if opaque * 2 < total:
        return TRANSPARENT
    mixed = [sum(PALETTE[c][i] * n for c, n in counts.items() if c is not None) / opaque
             for i in range(3)]

    def distance(index):
        r, g, b = PALETTE[index]
        # weighted like the eye: green counts most, blue least
        return 3 * (r - mixed[0]) ** 2 + 4 * (g - mixed[1]) ** 2 + 2 * (b - mixed[2]) ** 2
    present = [c for c in counts if c is not None]
    return min(set(BLEND_CHOICES) | set(present), key=lambda i: (distance(i), i))


ICONS = [
    # resource, file name, marks, turn in degrees clockwise
    (102, "logo.ico", LOGO_MARKS, 0),
    (109, "logo_45.ico", LOGO_MARKS, 45),
    (107, "logo_90.ico", LOGO_MARKS, 90),
    (110, "logo_135.ico", LOGO_MARKS, 135),
    (106, "logo_180.ico", LOGO_MARKS, 180),
    (111, "logo_225.ico", LOGO_MARKS, 225),
    (108, "logo_270.ico", LOGO_MARKS, 270),
    (112, "logo_315.ico", LOGO_MARKS, 315),
    (105, "disc.ico", [], 0),
    (113, "arrow_up.ico", [(ARROW_UP, YELLOW, None)], 0),
    (114, "arrow_down.ico", [(arrow_down_shape, LIME, None)], 0),
]

# --- files ---------------------------------------------------------------------------


def mask_rows(size, transparent):
    """The AND mask, bottom-up, rows padded to 32 bits: set where the screen shows."""
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        bits = bytearray(stride)
        for x in range(size):
            if transparent(x, y):
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return bytes(mask)


def palette_image(rows):
    """4 bits per pixel, the palette, the AND mask."""
    size = len(rows)
    stride = ((size + 7) // 8) * 4             # two pixels a byte, rows padded to 32 bits
    xor = bytearray()
    for row in reversed(rows):                  # bitmaps are stored bottom-up
        line = bytearray(stride)
        for x, colour in enumerate(row):
            # a transparent pixel is black in the XOR image, so that AND then XOR
            # leaves the screen untouched
            index = 0 if colour is TRANSPARENT else colour
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor += line
    mask = mask_rows(size, lambda x, y: rows[y][x] is TRANSPARENT)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    # the image header gives twice the height: the XOR image and the mask stacked
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + palette + bytes(xor) + mask


def alpha_image(rows):
    """32 bits per pixel (blue, green, red, alpha; not premultiplied) and an AND mask
    that is set only where nothing is drawn: a system that ignores alpha draws the
    soft edge solid rather than mixing it into the screen."""
    size = len(rows)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask = mask_rows(size, lambda x, y: rows[y][x][3] == 0)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + bytes(pixels) + mask


def ico_bytes(images):
    """An ICO of (size, colour count, bits per pixel, image bytes) entries."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for size, colours, bits, image in images:
        entries += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(image), offset + len(data))
        data += image
    return directory + entries + data


def png_bytes(width, height, pixels):
    """An RGB PNG from a flat list of (r, g, b)."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)                           # filter: none
        for r, g, b in pixels[y * width:(y + 1) * width]:
            raw += bytes((r, g, b))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def preview(icons):
    """The icons in animation order, on a light and a dark strip. Each column: the
    48-pixel image at twice its size; the 32, 24, 20 and 16 pixel ones as they are;
    the 16-colour 32 and 16 pixel ones."""
    gap, column = 16, 104
    light, dark = (212, 208, 200), (36, 40, 52)
    width = gap + len(icons) * (column + gap)
    strip = gap + 96 + 8 + 32 + 8 + 32 + gap
    canvas = [light] * (width * strip) + [dark] * (width * strip)

    def put(x, y, rgba, background):
        r, g, b, a = rgba
        canvas[y * width + x] = tuple((c * a + k * (255 - a)) // 255 for c, k in zip((r, g, b), background))

    def draw(rows, left, top, zoom, background):
        for y, row in enumerate(rows):
            for x, rgba in enumerate(row):
                for dy in range(zoom):
                    for dx in range(zoom):
                        put(left + x * zoom + dx, top + y * zoom + dy, rgba, background)

    def as_rgba(rows):
        return [[(0, 0, 0, 0) if c is TRANSPARENT else PALETTE[c] + (255,) for c in row] for row in rows]

    for s, background in enumerate((light, dark)):
        top = s * strip + gap
        for i, (alpha, palette) in enumerate(icons):
            left = gap + i * (column + gap)
            draw(alpha[48], left + (column - 96) // 2, top, 2, background)
            x = left
            for size in (32, 24, 20, 16):
                draw(alpha[size], x, top + 96 + 8 + (32 - size) // 2, 1, background)
                x += size + 4
            draw(as_rgba(palette[32]), left, top + 96 + 8 + 32 + 8, 1, background)
            draw(as_rgba(palette[16]), left + 36, top + 96 + 8 + 32 + 8 + 8, 1, background)
    return png_bytes(width, 2 * strip, canvas)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    icon_dir = os.path.join(root, "res", "icons")
    os.makedirs(icon_dir, exist_ok=True)
    os.makedirs(os.path.join(root, "docs"), exist_ok=True)
    drawn = []
    for resource, name, marks, degrees in ICONS:
        alpha, palette = {}, {}
        for size in sorted(set(ALPHA_SIZES) | set(PALETTE_SIZES)):
            samples = sample(marks, degrees, size)
            if size in ALPHA_SIZES:
                alpha[size] = alpha_picture(samples)
            if size in PALETTE_SIZES:
                palette[size] = palette_picture(samples)
        images = [(size, 16, 4, palette_image(palette[size])) for size in PALETTE_SIZES]
        images += [(size, 0, 32, alpha_image(alpha[size])) for size in reversed(ALPHA_SIZES)]
        drawn.append((alpha, palette))
        with open(os.path.join(icon_dir, name), "wb") as f:
            f.write(ico_bytes(images))
        print(f"{resource}  res/icons/{name}")
    with open(os.path.join(root, "docs", "icons-preview.png"), "wb") as f:
        f.write(preview(drawn))
    print("docs/icons-preview.png")
    return 0


if __name__ == "__main__":
    sys.exit(main())
