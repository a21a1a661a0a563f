#!/usr/bin/env python3
"""Checks a screenshot of the wait window (an XWD dump of the root window) and keeps it as PNG.

Usage: screenshot.py CASE SHOT.xwd OUT.png
CASE: plain (no compositor: drawn opaque), composite (a compositor blends it at 190/255),
      composite-unblended (a compositor runs, but it leaves this window as the plain case;
      the caller checks the opacity the window asks for),
      rectangular (a mask that yields no shape), nopicture (no frame picture),
      progress0, progress50, progress100 (plain, with the download bar at 0, 50 and 100 %),
      download (plain, during a real download: a bar at any point; prints "bar N/207").
Standard library only. Exits 1 with the failed checks listed.
"""
import struct
import sys
import zlib

SCREEN_W, SCREEN_H = 1024, 768
WIN_W, WIN_H = 279, 108
LEFT, TOP = (SCREEN_W - WIN_W) // 2, (SCREEN_H - WIN_H) // 2
OPACITY = 190 / 255
BACKGROUND = (248, 248, 248)
CORE = (183, 201, 220)  # the frame's opaque core, window columns 1 to 8
RIM = (189, 205, 222)   # the frame's rim, window row 0 and column 0
BAR_LEFT, BAR_RIGHT, BAR_ROW = 36, 243, 82  # the download bar's columns and its middle row
BAR_FILL = CORE          # filled part, the frame's core blue
BAR_TRACK = (228, 234, 241)  # the rest of the track, the frame's lightest blue
PROGRESS = {"progress0": 0.0, "progress50": 0.5, "progress100": 1.0}


def read_xwd(path):
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, _, _, depth, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask, ncolors = fields[14], fields[15], fields[16], fields[19]
    if depth != 24 or bits_per_pixel not in (24, 32):
        raise SystemExit(f"unexpected XWD depth {depth}/{bits_per_pixel}")
    step = bits_per_pixel // 8
    start = header_size + ncolors * 12
    order = "<" if byte_order == 0 else ">"

    def shift(mask):
        return (mask & -mask).bit_length() - 1

    shifts = [(m, shift(m)) for m in (red_mask, green_mask, blue_mask)]
    rows = []
    for y in range(height):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + width * step]
        if step == 4:
            values = struct.unpack(f"{order}{width}I", line)
        else:  # packed three-byte pixels
            values = [int.from_bytes(line[x * 3:x * 3 + 3], "little" if order == "<" else "big")
                      for x in range(width)]
        rows.append([tuple((v & m) >> s for m, s in shifts) for v in values])
    return width, height, rows


def write_png(path, width, height, rows):
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def main():
    case, shot, out = sys.argv[1:4]
    fraction = PROGRESS.get(case)
    during_download = case == "download"
    if fraction is not None or during_download:
        case = "plain"
    width, height, rows = read_xwd(shot)
    write_png(out, width, height, rows)
    failures = []

    def check(ok, what):
        if not ok:
            failures.append(what)

    check((width, height) == (SCREEN_W, SCREEN_H), f"screen {width}x{height}")
    if failures:
        print("\n".join(failures))
        return 1

    def at(x, y):  # window coordinates
        return rows[TOP + y][LEFT + x]

    desk = rows[10][10]

    def seen(colour):
        """What a window pixel of `colour` looks like over the desktop."""
        if case != "composite":
            return colour
        return tuple(round(c * OPACITY + d * (1 - OPACITY)) for c, d in zip(colour, desk))

    def near(a, b, tolerance=3):
        return all(abs(x - y) <= tolerance for x, y in zip(a, b))

    # The desktop is uniform around the window: nothing else is on screen.
    for x, y in ((-1, 54), (WIN_W, 54), (139, -1), (139, WIN_H), (-30, -30)):
        check(rows[TOP + y][LEFT + x] == desk, f"desktop at window ({x},{y}) is {rows[TOP + y][LEFT + x]}, not {desk}")
    # Centred: the window's straight edges start exactly at the centred rectangle.
    check(at(0, 54) != desk and at(WIN_W - 1, 54) != desk, "left/right edge not at the centred position")
    check(at(139, 0) != desk and at(139, WIN_H - 1) != desk, "top/bottom edge not at the centred position")
    # Corners: cut away (desktop shows) unless the window has no shape. A compositor that leaves
    # the window unblended draws its whole rectangle: the cut-away corners keep their own colour.
    corners = [(0, 0), (1, 1), (WIN_W - 1, 0), (0, WIN_H - 1), (WIN_W - 1, WIN_H - 1)]
    for x, y in corners:
        if case == "rectangular":
            check(at(x, y) != desk, f"corner ({x},{y}) cut although the window has no shape")
        elif case == "composite-unblended":
            check(at(x, y) != at(139, 20), f"corner ({x},{y}) drawn as the window's inside")
        else:
            check(at(x, y) == desk, f"corner ({x},{y}) is {at(x, y)}, not the desktop {desk}")
    # The frame along the edges (or the bare background without a picture).
    if case == "nopicture":
        for x, y in ((4, 54), (139, 4), (139, 20)):
            check(near(at(x, y), seen(BACKGROUND)), f"({x},{y}) is {at(x, y)}, want background")
    else:
        for x, y, colour in ((4, 54, CORE), (WIN_W - 5, 54, CORE), (139, 4, CORE),
                             (139, WIN_H - 5, CORE), (0, 54, RIM), (139, 0, RIM)):
            check(near(at(x, y), seen(colour)), f"frame ({x},{y}) is {at(x, y)}, want {seen(colour)}")
        check(near(at(139, 20), seen(BACKGROUND)), f"background (139,20) is {at(139, 20)}")
    # Translucency: the background is blended with what lies beneath.
    if case == "composite":
        check(abs(at(139, 20)[0] - 248) > 10, f"background (139,20) is {at(139, 20)}: not translucent")
    # The download bar: filled from the left in proportion, the rest of the track lighter; no
    # bar at all when no size is known.
    bar = [at(x, BAR_ROW) for x in range(BAR_LEFT, BAR_RIGHT)]
    filled = sum(1 for px in bar if near(px, seen(BAR_FILL)))
    track = sum(1 for px in bar if near(px, seen(BAR_TRACK)))
    if during_download:
        check(filled + track == BAR_RIGHT - BAR_LEFT, f"bar {filled} + {track} columns, not the whole track")
        check(all(near(px, seen(BAR_FILL)) for px in bar[:filled]), "the filled part is not at the left")
        print(f"bar {filled}/{BAR_RIGHT - BAR_LEFT}")
    elif fraction is None:
        check(filled == 0 and track == 0, f"a bar ({filled} filled, {track} track) without progress")
    else:
        want = int(fraction * 1000) * (BAR_RIGHT - BAR_LEFT) // 1000
        check(abs(filled - want) <= 1, f"bar filled {filled} columns, want {want}")
        check(filled + track == BAR_RIGHT - BAR_LEFT, f"bar {filled} + {track} columns, not the whole track")
        check(all(near(px, seen(BAR_FILL)) for px in bar[:want]), "the filled part is not at the left")
    # The text, navy, in the middle: inside the label's rectangle and centred in it.
    text = [(x, y) for y in range(40, 73) for x in range(36, 243)
            if at(x, y)[2] > at(x, y)[0] + 40 and at(x, y)[0] < 120]
    check(len(text) > 100, f"only {len(text)} text pixels")
    if text:
        left = min(x for x, _ in text)
        right = max(x for x, _ in text)
        check(abs((left + right) / 2 - WIN_W / 2) <= 4, f"text spans {left}..{right}: not centred")
        check(min(y for _, y in text) >= 40, "text above row 40")
    name = "download" if during_download else case if fraction is None else f"progress {fraction:.0%}"
    print(f"{name}: {'ok' if not failures else 'FAILED'} ({len(text)} text pixels, desktop {desk}) -> {out}")
    if failures:
        print("\n".join(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
