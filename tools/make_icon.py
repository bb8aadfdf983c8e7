#!/usr/bin/env python3
"""Draws the program's icon (a framed landscape with painted regions) as data/icons/qiv_zarim.png."""
import sys

from png_writer import png_bytes

W, H = 128, 128



def pixel(x, y):
    if x < 6 or y < 6 or x >= W - 6 or y >= H - 6:
        return (0x33, 0x00, 0x99)                      # frame
    if (x - 88) ** 2 + (y - 34) ** 2 < 14 ** 2:
        return (0xFF, 0xCC, 0x00)                      # sun, a painted region
    hill = 84 + int(12 * ((x - 64) / 64.0) ** 2)
    if y > hill:
        if (x - 40) ** 2 / 900.0 + (y - 104) ** 2 / 144.0 < 1:
            return (0xFF, 0x33, 0x66)                  # a second region on the hill
        return (0x33, 0x99, 0x33)
    return (0x99, 0xCC, 0xFF)                          # sky


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "data/icons/qiv_zarim.png"
    with open(out, "wb") as f:
        f.write(png_bytes(W, H, pixel))
