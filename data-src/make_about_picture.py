#!/usr/bin/env python3
"""Draws the about window's picture (ui/about.png, 178 x 137): two speech bubbles on an evening
sky, the talking computer's emblem. Standard library only, so it runs on any build machine.

    data-src/make_about_picture.py [output.png]
"""
import math
import struct
import sys
import zlib

WIDTH, HEIGHT = 178, 137
SUPERSAMPLE = 4  # samples per pixel along each axis, for smooth edges

SKY_TOP = (16, 32, 72)
SKY_BOTTOM = (0, 128, 128)
USER_BUBBLE = (236, 236, 236)
CPU_BUBBLE = (255, 214, 92)
DOTS = (40, 56, 96)
OUTLINE = (8, 16, 40)


def rounded_box(px, py, cx, cy, half_w, half_h, radius):
    """Signed distance to a rounded rectangle centred on (cx, cy): negative inside."""
    qx = abs(px - cx) - half_w + radius
    qy = abs(py - cy) - half_h + radius
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def triangle(px, py, a, b, c):
    """Signed distance sign only (inside negative) for a triangle a, b, c."""
    def side(p, q, r):
        return (p[0] - r[0]) * (q[1] - r[1]) - (q[0] - r[0]) * (p[1] - r[1])
    p = (px, py)
    d1, d2, d3 = side(p, a, b), side(p, b, c), side(p, c, a)
    has_neg = d1 < 0 or d2 < 0 or d3 < 0
    has_pos = d1 > 0 or d2 > 0 or d3 > 0
    return 1.0 if has_neg and has_pos else -1.0


def bubble(px, py, cx, cy, half_w, half_h, tail):
    body = rounded_box(px, py, cx, cy, half_w, half_h, 12.0)
    return min(body, triangle(px, py, *tail))


def sample(px, py):
    t = py / HEIGHT
    color = tuple(SKY_TOP[i] + (SKY_BOTTOM[i] - SKY_TOP[i]) * t for i in range(3))

    # a few stars in the upper sky
    for sx, sy in ((14, 12), (160, 9), (96, 6), (128, 20), (40, 30)):
        if math.hypot(px - sx, py - sy) < 1.2:
            color = (220, 230, 255)

    user = bubble(px, py, 66, 40, 52, 24, ((34, 58), (52, 62), (22, 80)))
    cpu = bubble(px, py, 112, 94, 54, 24, ((128, 112), (146, 112), (158, 132)))
    for shape, fill, centre in ((user, USER_BUBBLE, (66, 40)), (cpu, CPU_BUBBLE, (112, 94))):
        if shape < -1.5:
            color = fill
            for dx in (-18, 0, 18):
                if math.hypot(px - centre[0] - dx, py - centre[1]) < 5.5:
                    color = DOTS
        elif shape < 0.0:
            color = OUTLINE
    return color


def render():
    rows = []
    step = 1.0 / SUPERSAMPLE
    for y in range(HEIGHT):
        row = bytearray([0])  # filter type: none
        for x in range(WIDTH):
            acc = [0.0, 0.0, 0.0]
            for j in range(SUPERSAMPLE):
                for i in range(SUPERSAMPLE):
                    c = sample(x + (i + 0.5) * step, y + (j + 0.5) * step)
                    for k in range(3):
                        acc[k] += c[k]
            n = SUPERSAMPLE * SUPERSAMPLE
            row.extend(int(round(a / n)) for a in acc)
        rows.append(bytes(row))
    return b"".join(rows)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, pixels):
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)  # 8-bit RGB
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", header))
        out.write(chunk(b"IDAT", zlib.compress(pixels, 9)))
        out.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    target = sys.argv[1] if len(sys.argv) > 1 else "ui/about.png"
    write_png(target, render())
