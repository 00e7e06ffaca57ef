#!/usr/bin/env python3
"""The contrast of the text in rectangles of a screenshot, as a reader sees it.

Usage: text_contrast.py SHOT.ppm NAME:X0,Y0,X1,Y1 ...

For each rectangle: the background is its most common colour; the ink is every pixel
that differs from it. The ink is split into words (runs of inked columns separated by
blank ones); each word's colour is its pixel of highest contrast against the
background (antialiased edges are fainter, a glyph's stems are the text colour). Prints
one line per rectangle, "NAME words=N min=R max=R", where min is the faintest word's
contrast: every word of the rectangle has at least that much.
"""
import sys
from collections import Counter


def read_ppm(path):
    data = open(path, "rb").read()
    fields, position = [], 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    assert fields[0] == b"P6" and fields[3] == b"255", "a binary PPM with 8-bit channels"
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[position + 1:]


def luminance(rgb):
    def linear(c):
        c /= 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = rgb
    return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b)


def contrast(a, b):
    la, lb = luminance(a), luminance(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


def main():
    width, height, pixels = read_ppm(sys.argv[1])

    def at(x, y):
        i = 3 * (y * width + x)
        return tuple(pixels[i:i + 3])

    for spec in sys.argv[2:]:
        name, box = spec.split(":")
        x0, y0, x1, y1 = (int(v) for v in box.split(","))
        x1, y1 = min(x1, width), min(y1, height)
        background = Counter(at(x, y) for y in range(y0, y1) for x in range(x0, x1)).most_common(1)[0][0]
        words, word, blank = [], [], 0
        for x in range(x0, x1):
            column = [at(x, y) for y in range(y0, y1)]
            ink = [p for p in column if contrast(p, background) > 1.15]
            if ink:
                word.extend(ink)
                blank = 0
            else:
                blank += 1
                if word and blank >= 3:
                    words.append(word)
                    word = []
        if word:
            words.append(word)
        # Specks (a full stop, a stray antialiased pixel) are too small to judge by.
        ratios = [max(contrast(p, background) for p in w) for w in words if len(w) >= 12]
        if ratios:
            print(f"{name} words={len(ratios)} min={min(ratios):.2f} max={max(ratios):.2f}")
        else:
            print(f"{name} words=0 min=0 max=0")


main()
