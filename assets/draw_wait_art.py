#!/usr/bin/env python3
"""Draws the wait window's artwork: the frame picture (wait_frame.png) and the shape mask
(wait_mask.bmp). Standard library only, deterministic, so the files can be redrawn offline.

Usage: python3 assets/draw_wait_art.py [output directory]   (default: beside this script)
"""
import math
import os
import struct
import sys
import zlib

# Frame: a rounded-rectangle ring on a transparent ground. From the outer edge inwards: one pixel
# at alpha 136, a 16-pixel opaque band (three light blues, a rim, the 8-pixel core, a rim, the
# light blues again), one pixel at alpha 136.
FRAME_W, FRAME_H = 293, 122
RING_LEFT, RING_TOP, RING_RIGHT, RING_BOTTOM = 3, 3, 290, 119  # outer edge, right/bottom exclusive
RING_RADIUS = 24.0
BAND = ([(228, 234, 241), (221, 229, 238), (217, 226, 236), (189, 205, 222)] +
        [(183, 201, 220)] * 8 +
        [(189, 205, 222), (217, 226, 236), (221, 229, 238), (228, 234, 241)])
EDGE_ALPHA = 136
# Anti-aliased coverage along the curves is taken to the nearest of these alpha steps.
ALPHA_STEPS = (0, 34, 68, 136, 170, 255)

# Mask: black inside, a dark one-pixel outline, anti-aliased corner curves, white outside.
MASK_W, MASK_H = 279, 108
MASK_RX, MASK_RY = 27.0, 23.0  # corner curve extent along the top/bottom and along the sides
MASK_EXPONENT = 1.37  # a flattened superellipse: the corners cut a little deeper than a circle
SAMPLES = 8


def ring_depth(x, y):
    """Distance of point (x, y) inwards from the ring's outer edge (negative outside)."""
    cx = min(max(x, RING_LEFT + RING_RADIUS), RING_RIGHT - RING_RADIUS)
    cy = min(max(y, RING_TOP + RING_RADIUS), RING_BOTTOM - RING_RADIUS)
    if cx != x and cy != y:
        return RING_RADIUS - math.hypot(x - cx, y - cy)
    return min(x - RING_LEFT, RING_RIGHT - x, y - RING_TOP, RING_BOTTOM - y)


def frame_pixel(px, py):
    # Supersample the pixel: each sample falls into the outer edge, a band step, the inner edge
    # or the ground.
    hits = {}
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            d = ring_depth(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
            if d < 0 or d >= len(BAND) + 2:
                continue
            step = int(d)
            hits[step] = hits.get(step, 0) + 1
    if not hits:
        return (0, 0, 0, 0)
    step = max(hits, key=lambda s: (hits[s], -abs(s - 8.5)))
    coverage = sum(hits.values()) / (SAMPLES * SAMPLES)
    if step == 0 or step == len(BAND) + 1:
        rgb, alpha = BAND[0] if step == 0 else BAND[-1], EDGE_ALPHA * coverage
    else:
        rgb, alpha = BAND[step - 1], 255 * coverage
    alpha = min(ALPHA_STEPS, key=lambda a: abs(a - alpha))
    return (*rgb, alpha) if alpha else (0, 0, 0, 0)


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, width, height, rows):
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)
    data = b"\x89PNG\r\n\x1a\n"
    data += png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    data += png_chunk(b"bKGD", struct.pack(">HHH", 255, 255, 255))
    data += png_chunk(b"pHYs", struct.pack(">IIB", 3780, 3780, 1))  # 96 dpi
    data += png_chunk(b"tIME", struct.pack(">HBBBBB", 2009, 6, 15, 12, 0, 0))  # fixed: reproducible
    data += png_chunk(b"IDAT", zlib.compress(raw, 9))
    data += png_chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def mask_coverage(px, py):
    """Share of pixel (px, py) inside the rounded rectangle with superelliptic corners."""
    inside = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x, y = px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES
            cx = min(max(x, MASK_RX), MASK_W - MASK_RX)
            cy = min(max(y, MASK_RY), MASK_H - MASK_RY)
            if (abs(x - cx) / MASK_RX) ** MASK_EXPONENT + (abs(y - cy) / MASK_RY) ** MASK_EXPONENT <= 1.0:
                inside += 1
    return inside / (SAMPLES * SAMPLES)


def mask_grey(px, py):
    coverage = mask_coverage(px, py)
    if coverage == 0:
        return 255
    if coverage < 1:  # the curve: from the outline's dark grey towards white
        return round(40 + (1 - coverage) * (250 - 40))
    # Fully covered pixels next to the edge of the shape make the outline.
    for nx, ny in ((px - 1, py), (px + 1, py), (px, py - 1), (px, py + 1)):
        if nx < 0 or ny < 0 or nx >= MASK_W or ny >= MASK_H or mask_coverage(nx, ny) < 1:
            return 38 + (px + py) % 5
    return (px * 7 + py * 3) % 6  # near-black inside


def write_bmp24(path, width, height, rows):
    stride = (width * 3 + 3) & ~3
    pixels = b""
    for row in reversed(rows):  # bottom-up
        line = b"".join(bytes((v, v, v)) for v in row)
        pixels += line + b"\0" * (stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    frame = [[frame_pixel(x, y) for x in range(FRAME_W)] for y in range(FRAME_H)]
    write_png(os.path.join(out, "wait_frame.png"), FRAME_W, FRAME_H, frame)
    mask = [[mask_grey(x, y) for x in range(MASK_W)] for y in range(MASK_H)]
    write_bmp24(os.path.join(out, "wait_mask.bmp"), MASK_W, MASK_H, mask)
    white = sum(v == 255 for row in mask for v in row)
    print(f"wait_frame.png {FRAME_W}x{FRAME_H}, wait_mask.bmp {MASK_W}x{MASK_H} ({white} white)")


if __name__ == "__main__":
    main()
