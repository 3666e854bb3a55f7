#!/usr/bin/env python3
"""Draws the Orvanta setup icon (app.ico): a teal tile with a white ring and an amber
arrow pointing down into it, 32x32 and 16x16, 32-bit with alpha.

The icon is committed; run this again only to change its look:
    python3 resources/make_icon.py resources/app.ico
"""
import math
import struct
import sys

TILE_TOP = (0x1f, 0x8a, 0x9c)
TILE_BOTTOM = (0x0b, 0x4f, 0x6c)
RING = (0xff, 0xff, 0xff)
ARROW = (0xff, 0xb3, 0x2e)


def inside_rounded_square(x, y, radius):
    cx = min(max(x, radius), 1 - radius)
    cy = min(max(y, radius), 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def shade(x, y):
    """Colour and coverage of the point (x, y) of the unit square, or None."""
    if not inside_rounded_square(x, y, 0.2):
        return None
    colour = tuple(int(a + (b - a) * y) for a, b in zip(TILE_TOP, TILE_BOTTOM))
    d = math.hypot(x - 0.5, y - 0.55)
    if 0.22 <= d <= 0.34:
        colour = RING
    # the arrow: a shaft from the top edge and a head inside the ring
    if abs(x - 0.5) <= 0.07 and 0.1 <= y <= 0.5:
        colour = ARROW
    if 0.42 <= y <= 0.66 and abs(x - 0.5) <= (0.66 - y) * 0.85:
        colour = ARROW
    return colour


def render(size, samples=8):
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = shade((px + (sx + 0.5) / samples) / size, (py + (sy + 0.5) / samples) / size)
                    if c:
                        hits += 1
                        acc = [a + v for a, v in zip(acc, c)]
            alpha = round(255 * hits / (samples * samples))
            rgb = [round(a / hits) if hits else 0 for a in acc]
            row.append((rgb[0], rgb[1], rgb[2], alpha))
        rows.append(row)
    return rows


def icon_image(size):
    pixels = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b''.join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def main(path):
    sizes = (32, 16)
    images = [icon_image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'app.ico')
