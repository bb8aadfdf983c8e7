#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into the folder given (one sub-folder each)."""
import os
import struct
import sys

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "tools"))
from make_sample import gif  # noqa: E402
from png_writer import png_bytes  # noqa: E402


def zarm_lines(values):
    lines = []
    for row in values:
        cells = [""] * 51
        for pos, value in row.items():
            cells[pos] = value
        lines.append("\t".join(cells))
    lines.append("music.ogg\t0.5\t1")
    return "".join(line + "\r\n" for line in lines)


def main(out):
    seeds = {}
    text = zarm_lines([{}, {0: "http://example.org/", 15: "Дом\\nу моря", 16: "3"}, {2: "/snd/b.wav"}])
    seeds["zarm_reader"] = {
        "utf8_mark": b"\xef\xbb\xbf" + text.encode("utf-8"),
        "utf8_plain": text.encode("utf-8"),
        "utf16le": b"\xff\xfe" + text.encode("utf-16-le"),
        "utf16be": b"\xfe\xff" + text.encode("utf-16-be"),
        "cp1251": text.encode("cp1251"),
        "empty": b"",
    }
    seeds["settings_reader"] = {
        "all": b"FFMPEG=/usr/bin/ffmpeg\r\nSOUND_REWRITE=1\r\nSOUND_CHANNELS=1\r\n"
               b"SOUND_BITRATE=96k\r\nVIDEO_REWRITE=0\r\nVIDEO_BITRATE=1M\r\n",
        "odd": b"SOUND_CHANNELS=-7\nSOUND_CHANNELS= 99999999999\nX\n=\n",
    }
    colors = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255)]
    seeds["map_reader"] = {
        "small": gif(9, 7, colors, lambda x, y: (x // 3 + y) % 4),
        "one": gif(1, 1, colors, lambda x, y: 1),
        "wide": gif(300, 2, colors, lambda x, y: x % 4),
    }
    seeds["picture_opening"] = {
        "png": b"\x00" + png_bytes(5, 4, lambda x, y: (x * 50, y * 60, 90)),
        "gif": b"\x02" + gif(6, 3, colors, lambda x, y: (x + y) % 4),
        "gif_named_png": b"\x00" + gif(2, 2, colors, lambda x, y: x),
        # The smallest baseline JPEG is large to write by hand; the fuzzer finds its way from PNG
        # and GIF, and this header makes it try the JPEG reader.
        "jpeg_head": b"\x01\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xff\xd9",
    }
    page = ('<!DOCTYPE html>\n<title>[NAME]</title>\n<img src="[FILENAME]" alt="[NAME]">\n'
            "<a href=x/[NAME].html title='[NAME]'>[FILENAME]</a>\n<script src=\"zarm_[NAME].js\"></script>\n")
    script = "var n='[NAME]';\n[DATA]\nfunction move(x,y,img){\n[EFFECT]}\n"
    names = b"\x08photo.jpg\x05photo\x04D()\x03E;\n"
    seeds["template_filler"] = {
        "page_utf8": names + b"\xef\xbb\xbf" + page.encode("utf-8"),
        "page_plain": names + page.encode("utf-8"),
        "script_utf16": names + b"\xff\xfe" + script.encode("utf-16-le"),
        "script_cp1251": names + ("// Привет\n" + script).encode("cp1251"),
    }
    seeds["data_script"] = {
        "small": bytes(range(256)) * 2,
        "quotes": b"\x05\x03" + b"'\\\n\r\xe2\x80\xa8[EFFECT]\"" * 20,
    }
    for target, files in seeds.items():
        folder = os.path.join(out, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
