#!/usr/bin/env python3
"""Draws the sample picture library: a few small PNG pictures in data/pictures."""
import math
import struct
import zlib


def png(path, width, height, pixel):
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            raw.extend(pixel(x, y))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def star(x, y):
    dx, dy = x - 80, y - 80
    r = math.hypot(dx, dy)
    a = math.atan2(dy, dx)
    edge = 40 + 30 * math.cos(5 * a)
    return (255, 204, 0) if r < edge else (255, 255, 255)


def boat(x, y):
    if y > 120:
        return (0, 102, 204)
    if 60 <= x <= 140 and 100 <= y <= 120 and abs(x - 100) < 40 - (y - 100):
        return (102, 51, 0)
    if 98 <= x <= 101 and 30 <= y < 100:
        return (60, 40, 20)
    if 102 <= x <= 140 and 35 <= y < 95 and (x - 102) < (y - 35) * 0.6:
        return (255, 255, 255)
    return (153, 204, 255)


def flower(x, y):
    dx, dy = x - 80, y - 70
    r = math.hypot(dx, dy)
    if r < 14:
        return (255, 204, 51)
    if r < 40 and math.cos(6 * math.atan2(dy, dx)) > -0.2:
        return (255, 51, 153)
    if 78 <= x <= 82 and y > 100:
        return (0, 153, 51)
    return (204, 255, 204)


if __name__ == "__main__":
    png("data/pictures/star.png", 160, 160, star)
    png("data/pictures/boat.png", 200, 160, boat)
    png("data/pictures/flower.png", 160, 160, flower)
