#!/usr/bin/env python3
"""Draws the lock indicator's loading animations: five colours x twenty images,
css/loading-animation/<colour>/Loading<N>.gif, each of the size the library
gives image N (components/lockindicator/lockscripts.cpp). Small looping GIFs
drawn here from a few shapes (dots turning round, a ring with a gap, a bar
with a moving block); run by setup.sh. Pure Python, deterministic output.

    make-loading-gifs.py OUTDIR
"""
import math
import os
import struct
import sys

# Image N's width x height (index 0: no image).
SIZES = [(0, 0), (220, 19), (32, 32), (66, 66), (100, 100), (54, 55), (128, 15),
         (50, 50), (35, 35), (28, 28), (24, 24), (140, 18), (65, 65), (75, 75),
         (50, 50), (24, 24), (160, 20), (100, 100), (50, 50), (80, 27), (75, 75)]
COLOURS = {"black": (0x20, 0x20, 0x20), "blue": (0x1e, 0x5a, 0xc8),
           "green": (0x1e, 0x96, 0x3c), "pink": (0xe6, 0x50, 0xa0),
           "red": (0xd2, 0x28, 0x28)}
FRAMES = 8
SHADES = 7  # palette: 0 transparent, 1..7 the colour from faint to full


def palette(rgb):
    out = bytearray([255, 255, 255])
    for i in range(1, SHADES + 1):
        a = i / SHADES
        out += bytes(int(255 + (c - 255) * a) for c in rgb)
    return bytes(out)


def lzw(pixels):
    """Codes of width 4 with a clear code before every six literals, so the
    code table never grows past 4 bits (valid GIF data, no compression)."""
    clear, end = 8, 9
    bits = acc = 0
    out = bytearray()

    def put(code):
        nonlocal acc, bits
        acc |= code << bits
        bits += 4
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8

    for i, p in enumerate(pixels):
        if i % 6 == 0:
            put(clear)
        put(p)
    put(end)
    if bits:
        out.append(acc & 0xFF)
    blocks = bytearray([3])  # minimum code size
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes(blocks + b"\x00")


def frame(kind, w, h, f):
    px = bytearray(w * h)

    def dot(cx, cy, r, shade):
        for y in range(max(0, int(cy - r)), min(h, int(cy + r) + 1)):
            for x in range(max(0, int(cx - r)), min(w, int(cx + r) + 1)):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r and px[y * w + x] < shade:
                    px[y * w + x] = shade

    if w > 2 * h:  # a bar with a block moving along it
        for y in range(h // 4, h - h // 4):
            for x in range(w):
                px[y * w + x] = 1
        bw = max(4, w // 5)
        x0 = (w - bw) * f // (FRAMES - 1)
        for y in range(h // 6, h - h // 6):
            for x in range(x0, x0 + bw):
                px[y * w + x] = SHADES
        return px
    cx, cy = (w - 1) / 2, (h - 1) / 2
    rad = min(w, h) / 2
    if kind == 0:  # dots turning round, the lead dot darkest
        r = max(1.5, rad / 6)
        for i in range(FRAMES):
            a = 2 * math.pi * i / FRAMES
            age = (f - i) % FRAMES
            dot(cx + (rad - r - 1) * math.cos(a), cy + (rad - r - 1) * math.sin(a), r,
                max(1, SHADES - age))
    else:  # a ring with a gap that turns
        thick = max(2, rad / 4)
        for y in range(h):
            for x in range(w):
                d = math.hypot(x - cx, y - cy)
                if rad - thick - 1 <= d <= rad - 1:
                    ang = (math.atan2(y - cy, x - cx) / (2 * math.pi) - f / FRAMES) % 1.0
                    px[y * w + x] = max(1, int(SHADES * (1 - ang)) if kind == 1 else
                                        (SHADES if ang < 0.75 else 0))
    return px


def gif(rgb, n):
    w, h = SIZES[n]
    out = bytearray(b"GIF89a" + struct.pack("<HHBBB", w, h, 0xF2, 0, 0))
    out += palette(rgb)
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop for ever
    for f in range(FRAMES):
        out += b"\x21\xF9\x04\x09" + struct.pack("<H", 10) + b"\x00\x00"  # 0.1 s, index 0 clear
        out += b"\x2C" + struct.pack("<HHHHB", 0, 0, w, h, 0)
        out += lzw(frame(n % 3, w, h, f))
    return bytes(out + b"\x3B")


def main():
    base = sys.argv[1] if len(sys.argv) > 1 else "css/loading-animation"
    for name, rgb in COLOURS.items():
        folder = os.path.join(base, name)
        os.makedirs(folder, exist_ok=True)
        for n in range(1, len(SIZES)):
            with open(os.path.join(folder, "Loading%d.gif" % n), "wb") as fh:
                fh.write(gif(rgb, n))


if __name__ == "__main__":
    main()
