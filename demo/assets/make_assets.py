#!/usr/bin/env python3
"""Draws the demo product's pictures: terminal.ico (the application icon) and
top_log.bmp (the wizard banner). Pure standard library, so the build needs no
image tools; the output is byte-for-byte the same on every machine."""
import struct
import sys

# 5x7 capitals and digits, enough for the banner's words.
GLYPHS = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "0": ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    "4": ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    ".": ["00000", "00000", "00000", "00000", "00000", "01100", "01100"],
    " ": ["00000"] * 7,
}


class Canvas:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.pixels = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, colour)

    def text(self, x, y, words, scale, colour):
        for ch in words:
            for row, bits in enumerate(GLYPHS[ch]):
                for col, bit in enumerate(bits):
                    if bit == "1":
                        self.rect(x + col * scale, y + row * scale,
                                  x + (col + 1) * scale, y + (row + 1) * scale, colour)
            x += 6 * scale
        return x


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def bmp_rows_bgr(canvas):
    """24-bit rows, bottom-up, each padded to four bytes."""
    pad = (4 - canvas.width * 3 % 4) % 4
    out = bytearray()
    for row in reversed(canvas.pixels):
        for r, g, b in row:
            out += bytes((b, g, r))
        out += b"\0" * pad
    return bytes(out)


def write_bmp(path, canvas):
    data = bmp_rows_bgr(canvas)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0,
                       len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def banner(width, height):
    c = Canvas(width, height, (255, 255, 255))
    left, right = (18, 62, 120), (64, 148, 206)
    for x in range(width):
        colour = mix(left, right, x / max(1, width - 1))
        for y in range(height):
            c.put(x, y, colour)
    # A terminal window as the product's mark.
    m = height // 6
    c.rect(m, m, m + height - 2 * m, height - m, (240, 244, 248))
    c.rect(m + 3, m + 8, m + height - 2 * m - 3, height - m - 3, (24, 32, 40))
    c.rect(m + 7, m + 14, m + 17, m + 17, (120, 230, 140))
    c.text(m + height, m + 2, "ORVANTA 4.00", 3, (255, 255, 255))
    c.text(m + height, height - m - 14, "SETUP", 2, (200, 226, 250))
    return c


def icon_image(size):
    c = Canvas(size, size, (0, 0, 0))
    alpha = [[0] * size for _ in range(size)]
    s = size / 32.0

    def box(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                c.put(x, y, colour)
                alpha[y][x] = 255

    box(1, 3, 31, 29, (18, 62, 120))
    box(3, 8, 29, 27, (24, 32, 40))
    box(5, 11, 9, 13, (120, 230, 140))
    box(9, 13, 13, 15, (120, 230, 140))
    box(5, 15, 9, 17, (120, 230, 140))
    box(14, 21, 24, 23, (200, 226, 250))
    pixels = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b = c.pixels[y][x]
            pixels += bytes((b, g, r, alpha[y][x]))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(mask_stride)
        for x in range(size):
            if alpha[y][x] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                       len(pixels) + len(mask), 0, 0, 0, 0)
    return info + bytes(pixels) + bytes(mask)


def write_ico(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        out += img
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    what, path = sys.argv[1], sys.argv[2]
    if what == "icon":
        write_ico(path, [32, 16])
    elif what == "banner":
        width, height = int(sys.argv[3]), int(sys.argv[4])
        write_bmp(path, banner(width, height))
    else:
        sys.exit("usage: make_assets.py icon OUT | banner OUT WIDTH HEIGHT")
