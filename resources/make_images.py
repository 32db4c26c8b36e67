#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws the plug-in's two 32x32 icons and writes them as PNG files.

Shapes are described as signed-distance functions and rendered with 4x4
supersampling, so the icons are antialiased without any imaging library.
Run from anywhere; the images land next to this script.
"""

import math
import os
import struct
import zlib

SIZE = 32
SUPERSAMPLE = 4


# ---------------------------------------------------------------- geometry

def seg_dist(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    wx, wy = px - ax, py - ay
    t = max(0.0, min(1.0, (wx * vx + wy * vy) / (vx * vx + vy * vy)))
    dx, dy = wx - t * vx, wy - t * vy
    return math.hypot(dx, dy)


def polyline_dist(px, py, pts):
    return min(seg_dist(px, py, *pts[i], *pts[i + 1]) for i in range(len(pts) - 1))


def rounded_rect_sdf(px, py, x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    inside = min(max(qx, qy), 0.0)
    return outside + inside - r


def polygon_sdf(px, py, pts):
    d = min(seg_dist(px, py, *pts[i], *pts[(i + 1) % len(pts)]) for i in range(len(pts)))
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return -d if inside else d


def lerp(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


# ---------------------------------------------------------------- rendering

def render(layers):
    """layers: functions (x, y) -> (r, g, b, a) or None, painted bottom to top."""
    pixels = []
    n = SUPERSAMPLE
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(n):
                for sx in range(n):
                    px = x + (sx + 0.5) / n
                    py = y + (sy + 0.5) / n
                    r = g = b = a = 0.0
                    for layer in layers:
                        c = layer(px, py)
                        if c is None:
                            continue
                        ca = c[3]
                        r = c[0] * ca + r * (1 - ca)
                        g = c[1] * ca + g * (1 - ca)
                        b = c[2] * ca + b * (1 - ca)
                        a = ca + a * (1 - ca)
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
            samples = float(n * n)
            a = acc[3] / samples
            if a <= 0.0:
                row.append((0, 0, 0, 0))
                continue
            row.append(tuple(int(round(min(255.0, acc[i] / samples / a))) for i in range(3))
                       + (int(round(a * 255.0)),))
        pixels.append(row)
    return pixels


def write_png(path, pixels):
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # no filter
        for px in row:
            raw.extend(px)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)  # 8-bit RGBA
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
           + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


# ---------------------------------------------------------------- icons

def module_icon():
    body = (6.0, 6.0, 26.0, 26.0)
    pin_color = (176, 186, 198, 1.0)
    pin_positions = (11.0, 16.0, 21.0)

    def pins(x, y):
        for c in pin_positions:
            if abs(y - c) <= 1.0 and (2.0 <= x <= 7.0 or 25.0 <= x <= 30.0):
                return pin_color
            if abs(x - c) <= 1.0 and (2.0 <= y <= 7.0 or 25.0 <= y <= 30.0):
                return pin_color
        return None

    def rim(x, y):
        d = rounded_rect_sdf(x, y, *body, 3.5)
        return (22, 62, 140, 1.0) if d <= 0.0 else None

    def face(x, y):
        d = rounded_rect_sdf(x, y, 7.0, 7.0, 25.0, 25.0, 2.6)
        if d > 0.0:
            return None
        # Light from the top left.
        t = max(0.0, min(1.0, ((x - 7.0) + (y - 7.0)) / 36.0))
        return lerp((72, 150, 240), (30, 96, 200), t) + (1.0,)

    # Whole-pixel coordinates keep the 2 px strokes crisp.
    wave = [(9.0, 20.0), (12.0, 20.0), (12.0, 12.0), (16.0, 12.0), (16.0, 20.0),
            (20.0, 20.0), (20.0, 12.0), (23.0, 12.0)]

    def clock(x, y):
        return (255, 255, 255, 1.0) if polyline_dist(x, y, wave) <= 0.95 else None

    return render([pins, rim, face, clock])


def exclamation_icon():
    outer = [(16.0, 2.5), (30.0, 28.5), (2.0, 28.5)]
    inner = [(16.0, 5.2), (27.6, 27.0), (4.4, 27.0)]

    def rim(x, y):
        return (180, 60, 10, 1.0) if polygon_sdf(x, y, outer) <= 1.2 else None

    def face(x, y):
        if polygon_sdf(x, y, inner) > 1.0:
            return None
        t = max(0.0, min(1.0, (y - 4.0) / 24.0))
        return lerp((255, 184, 40), (236, 96, 20), t) + (1.0,)

    def bar(x, y):
        return (255, 255, 255, 1.0) if seg_dist(x, y, 16.0, 11.5, 16.0, 19.0) <= 1.7 else None

    def dot(x, y):
        return (255, 255, 255, 1.0) if math.hypot(x - 16.0, y - 23.3) <= 1.8 else None

    return render([rim, face, bar, dot])


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_png(os.path.join(here, "module.png"), module_icon())
    write_png(os.path.join(here, "exclamation.png"), exclamation_icon())


if __name__ == "__main__":
    main()
