#!/usr/bin/env python3
"""Draws the sample picture library: a few small PNG pictures in data/pictures."""
import math

from png_writer import png_bytes



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
    for name, width, draw in (("star", 160, star), ("boat", 200, boat), ("flower", 160, flower)):
        with open("data/pictures/%s.png" % name, "wb") as f:
            f.write(png_bytes(width, 160, draw))
