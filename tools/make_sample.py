#!/usr/bin/env python3
"""Draws the bundled sample project: data/sample/sample.png (a small landscape), its colour map
sample.map (a GIF of painted regions) and its attribute file sample.zarm (tooltips and links).

Run from the repository root: python3 tools/make_sample.py
"""
import math

import struct

from png_writer import png_bytes

W, H = 800, 500

# Regions: (palette index, colour value, test, tooltip, link)
SUN = (90, (0xFF, 0xCC, 0x33))
HOUSE = (73, (0xFF, 0x00, 0x00))
TREE = (141, (0x00, 0xFF, 0x00))
SEA = (176, (0x00, 0xFF, 0xFF))


def in_sun(x, y):
    return (x - 640) ** 2 + (y - 100) ** 2 < 55 ** 2


def in_house(x, y):
    if 180 <= x < 340 and 260 <= y < 380:
        return True
    return 160 <= x < 360 and 180 <= y < 260 and abs(x - 260) < (y - 170) * 1.0


def in_tree(x, y):
    trunk = 468 <= x < 492 and 300 <= y < 390
    crown = (x - 480) ** 2 / 60.0 ** 2 + (y - 250) ** 2 / 75.0 ** 2 < 1
    return trunk or crown


def in_sea(x, y):
    return y >= 400


def region(x, y):
    for test, reg in ((in_sun, SUN), (in_house, HOUSE), (in_tree, TREE), (in_sea, SEA)):
        if test(x, y):
            return reg
    return None


def picture_pixel(x, y):
    if in_sun(x, y):
        return (255, 214, 90)
    if in_house(x, y):
        if 240 <= x < 280 and 320 <= y < 380:
            return (90, 50, 30)          # door
        if 200 <= x < 230 and 290 <= y < 320:
            return (170, 210, 240)       # window
        return (200, 70, 50) if y >= 260 else (120, 40, 40)
    if in_tree(x, y):
        return (110, 70, 40) if y >= 300 and abs(x - 480) < 12 else (40, 140 + (x * 7 + y * 3) % 30, 50)
    if in_sea(x, y):
        wave = int(12 * math.sin(x / 25.0 + y / 7.0))
        return (20, 90 + wave, 160 + wave)
    if y >= 380:
        return (220, 200, 140)           # sand
    t = y / 380.0
    return (int(120 + 100 * t), int(170 + 60 * t), 250)



def gif(width, height, colors, index_of):
    """A one-frame GIF; LZW with a clear code before the table fills, so codes stay 9 bits."""
    table = list(colors) + [(0, 0, 0)] * (256 - len(colors))
    out = bytearray(b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF7, 0, 0))
    for c in table:
        out.extend(c)
    out.extend(b"," + struct.pack("<HHHHB", 0, 0, width, height, 0) + b"\x08")
    clear, end = 256, 257
    bits, nbits, data = 0, 0, bytearray()

    def emit(code):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += 9
        while nbits >= 8:
            data.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    emit(clear)
    count = 0
    for y in range(height):
        for x in range(width):
            emit(index_of(x, y))
            count += 1
            if count == 254:
                emit(clear)
                count = 0
    emit(end)
    if nbits:
        data.append(bits & 0xFF)
    for i in range(0, len(data), 255):
        block = data[i:i + 255]
        out.append(len(block))
        out.extend(block)
    out.extend(b"\x00;")
    return bytes(out)


def zarm():
    fields = {  # palette index -> {(event, position in group): value}
        SUN[0]: {(0, 15): "Солнце\\nНаведите курсор на другие части картинки", (0, 16): "10"},
        HOUSE[0]: {(0, 15): "Дом", (0, 16): "3", (1, 0): "https://ru.wikipedia.org/wiki/Дом", (1, 1): "1"},
        TREE[0]: {(0, 15): "Дерево", (0, 16): "5"},
        SEA[0]: {(0, 15): "Море", (0, 16): "7", (2, 0): "https://ru.wikipedia.org/wiki/Море", (2, 1): "1"},
    }
    last = max(fields)
    lines = []
    for c in range(last + 1):
        values = [""] * 51
        for (event, pos), value in fields.get(c, {}).items():
            values[event * 17 + pos] = value
        lines.append("\t".join(values))
    lines.append("\t1\t0")
    return ("\ufeff" + "".join(line + "\r\n" for line in lines)).encode("utf-8")


def main():
    with open("data/sample/sample.png", "wb") as f:
        f.write(png_bytes(W, H, picture_pixel))
    colors = [(0, 0, 0), SUN[1], HOUSE[1], TREE[1], SEA[1]]

    def index_of(x, y):
        reg = region(x, y)
        return 0 if reg is None else colors.index(reg[1])

    with open("data/sample/sample.map", "wb") as f:
        f.write(gif(W, H, colors, index_of))
    with open("data/sample/sample.zarm", "wb") as f:
        f.write(zarm())


if __name__ == "__main__":
    main()
