#!/usr/bin/env python3
"""Draws an icon file from a small text drawing (see wizard/res/pakorra_icon.txt).

usage: icongen.py DRAWING OUTPUT.ico

The icon holds nine images: 48, 32 and 16 pixels square, each at 4 bits per pixel (the standard
16-colour palette), 8 bits per pixel (a 6x6x6 colour cube and grey ramp) and 32 bits per pixel
(with alpha). Each image is rendered at its own size with 4x4 supersampling, so the small ones
stay legible rather than being shrunk from the large one.
"""
import struct
import sys

SIZES = (48, 32, 16)
DEPTHS = (4, 8, 32)
SAMPLES = 4

VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette256():
    levels = (0, 51, 102, 153, 204, 255)
    colours = [(r, g, b) for r in levels for g in levels for b in levels]
    colours += [(v, v, v) for v in range(8, 248, 6)][: 256 - len(colours)]
    return colours


PALETTES = {4: VGA16, 8: palette256()}


def parse_colour(text):
    if len(text) != 7 or text[0] != "#":
        raise ValueError("colour must be #RRGGBB: " + text)
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def read_drawing(path):
    canvas, shapes = None, []
    with open(path, encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            words = line.split()
            if not words or words[0].startswith("#"):
                continue  # blank or a comment
            colour_text = words[-1]
            try:
                if words[0] == "canvas":
                    canvas = int(words[1])
                elif words[0] == "rect":
                    x0, y0, x1, y1 = (float(v) for v in words[1:-1])
                    shapes.append(("rect", (x0, y0, x1, y1), parse_colour(colour_text)))
                elif words[0] == "polygon":
                    points = [tuple(float(v) for v in p.split(",")) for p in words[1:-1]]
                    if len(points) < 3:
                        raise ValueError("a polygon needs three points")
                    shapes.append(("polygon", points, parse_colour(colour_text)))
                else:
                    raise ValueError("unknown shape " + words[0])
            except (ValueError, IndexError) as error:
                sys.exit("%s:%d: %s" % (path, number, error))
    if not canvas:
        sys.exit(path + ": no canvas size")
    return canvas, shapes


def inside(shape, x, y):
    kind, geometry, _ = shape
    if kind == "rect":
        x0, y0, x1, y1 = geometry
        return x0 <= x < x1 and y0 <= y < y1
    result = False
    count = len(geometry)
    for i in range(count):
        (xa, ya), (xb, yb) = geometry[i], geometry[(i + 1) % count]
        if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
            result = not result
    return result


def render(canvas, shapes, size):
    """Rows of (r, g, b, a), top row first."""
    scale = canvas / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * scale
                    y = (py + (sy + 0.5) / SAMPLES) * scale
                    for shape in reversed(shapes):
                        if inside(shape, x, y):
                            cr, cg, cb = shape[2]
                            r, g, b, a = r + cr, g + cg, b + cb, a + 1
                            break
            row.append((round(r / a), round(g / a), round(b / a), round(255 * a / SAMPLES**2)) if a else (0, 0, 0, 0))
        rows.append(row)
    return rows


def distance(a, b):
    # "Redmean" weighting: closer to how the eye ranks colours than plain RGB distance, so the
    # cover's blue stays blue in 16 colours rather than turning teal.
    mean = (a[0] + b[0]) / 2
    dr, dg, db = a[0] - b[0], a[1] - b[1], a[2] - b[2]
    return (2 + mean / 256) * dr * dr + 4 * dg * dg + (2 + (255 - mean) / 256) * db * db


def nearest(palette, colour):
    return min(range(len(palette)), key=lambda i: distance(palette[i], colour))


def pack_rows(rows, bits):
    """Bottom-up rows of packed pixel values, each padded to 32 bits."""
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        if bits == 32:
            for value in row:
                line += bytes(value)
        else:
            per_byte = 8 // bits
            for start in range(0, len(row), per_byte):
                byte = 0
                for i, value in enumerate(row[start:start + per_byte]):
                    byte |= value << (8 - bits * (i + 1))
                line.append(byte)
        line += b"\0" * (-len(line) % 4)
        data += line
    return bytes(data)


def encode_image(pixels, size, depth):
    opaque = [[p[3] >= 128 for p in row] for row in pixels]
    mask = pack_rows([[0 if o else 1 for o in row] for row in opaque], 1)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, depth, 0, 0, 0, 0, 0, 0)
    if depth == 32:
        colour = pack_rows([[(b, g, r, a) for (r, g, b, a) in row] for row in pixels], 32)
        return header + colour + mask
    palette = PALETTES[depth]
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    table += b"\0" * (4 * (2 ** depth - len(palette)))
    indices = [[nearest(palette, p[:3]) if o else 0 for p, o in zip(row, orow)] for row, orow in zip(pixels, opaque)]
    return header + table + pack_rows(indices, depth) + mask


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: icongen.py DRAWING OUTPUT.ico")
    canvas, shapes = read_drawing(sys.argv[1])
    images = [(size, depth, encode_image(render(canvas, shapes, size), size, depth))
              for depth in DEPTHS for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, blobs = b"", b""
    for size, depth, blob in images:
        colours = 16 if depth == 4 else 0
        entries += struct.pack("<BBBBHHII", size, size, colours, 0, 1, depth, len(blob), offset)
        offset += len(blob)
        blobs += blob
    with open(sys.argv[2], "wb") as output:
        output.write(directory + entries + blobs)


if __name__ == "__main__":
    main()
