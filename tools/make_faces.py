#!/usr/bin/env python3
"""Draws the shipped analog clock faces and writes their packages (.cl).

Every face is one sheet: the dial (160 x 160, fuchsia 255,0,255 outside the round dial) at the
origin, and to its right the hour, minute and second hand, each pointing to twelve with its pivot
at the centre of its rectangle, and the centre cap. The hands' and the cap's see-through colour is
their rectangle's bottom-left pixel, fuchsia here too. Edges are drawn with 4 x 4 supersampling;
an edge pixel next to fuchsia is painted fully or not at all, so no purple fringe shows.

The packages are written with `tobu face pack` when the staged tool is given (--tobu PATH), which
also checks each face as the clock does; otherwise with the same container writer as the skins.
One face's package is also written as bytes into src/faces/builtin_face.cpp, the face the clock
starts with.

Usage: make_faces.py [OUTDIR] [--tobu PATH] [--builtin NAME]
  OUTDIR defaults to data/ next to this script's folder; packages go to OUTDIR/Clock/.
"""

import math
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_skins import (MAGENTA, Canvas, bmp24, circle, fill_shape, line, mix, package,  # noqa: E402
                        polygon, write_atomic)

SIZE = 160
C = SIZE / 2 + 0.5  # the pivot pixel (80, 80), in continuous coordinates its centre
R = 78.5            # dial radius

# Hand rectangles: (width, length from the pivot to the tip); height = 2 * length + 1.
SHEET_W = SIZE + 80


def polar(angle_deg, r, cx=C, cy=C):
    a = math.radians(angle_deg)
    return cx + r * math.sin(a), cy - r * math.cos(a)


def ring(cv, cx, cy, r0, r1, colour_at):
    fill_shape(cv, lambda px, py: r0 * r0 <= (px - cx) ** 2 + (py - cy) ** 2 <= r1 * r1,
               colour_at, (int(cx - r1) - 1, int(cy - r1) - 1, int(cx + r1) + 2, int(cy + r1) + 2))


def radial(cx, cy, r, inner, outer, gamma=1.0):
    def at(x, y):
        d = math.hypot(x + 0.5 - cx, y + 0.5 - cy) / r
        return mix(inner, outer, min(1.0, d) ** gamma)
    return at


def diagonal(top, bottom, cy=C, r=R):
    """A light from the top-left: the colour runs from `top` to `bottom` across the dial."""
    def at(x, y):
        t = ((x + 0.5 - cy) + (y + 0.5 - cy)) / (4 * r) + 0.5
        return mix(top, bottom, max(0.0, min(1.0, t)))
    return at


def tick(cv, angle, r_out, r_in, width, colour):
    """A radial bar with square ends from r_in to r_out."""
    a = math.radians(angle)
    ux, uy = math.sin(a), -math.cos(a)     # outwards
    vx, vy = -uy * width / 2, ux * width / 2  # across
    x0, y0 = C + ux * r_in, C + uy * r_in
    x1, y1 = C + ux * r_out, C + uy * r_out
    polygon(cv, [(x0 - vx, y0 - vy), (x1 - vx, y1 - vy), (x1 + vx, y1 + vy), (x0 + vx, y0 + vy)],
            colour)


# Roman numerals from straight strokes: each letter in a 1 x 1 box (x right, y down).
LETTERS = {
    "I": ([[(0.5, 0), (0.5, 1)]], 0.36),
    "V": ([[(0, 0), (0.5, 1), (1, 0)]], 0.8),
    "X": ([[(0, 0), (1, 1)], [(1, 0), (0, 1)]], 0.8),
}


def numeral(cv, text, cx, cy, height, colour, stroke):
    widths = [LETTERS[ch][1] * height for ch in text]
    gap = height * 0.12
    total = sum(widths) + gap * (len(text) - 1)
    x = cx - total / 2
    y0 = cy - height / 2
    for ch, w in zip(text, widths):
        strokes = LETTERS[ch][0]
        for s in strokes:
            pts = [(x + stroke / 2 + px * (w - stroke), y0 + py * height) for px, py in s]
            for (ax, ay), (bx, by) in zip(pts, pts[1:]):
                line(cv, ax, ay, bx, by, colour, stroke)
        # serifs: short bars at top and bottom of every letter
        line(cv, x - stroke * 0.3, y0, x + w + stroke * 0.3, y0, colour, stroke * 0.6)
        line(cv, x - stroke * 0.3, y0 + height, x + w + stroke * 0.3, y0 + height, colour,
             stroke * 0.6)
        x += w + gap


# --- hands ------------------------------------------------------------------------------------


class HandSheet:
    """Places the hands and the cap to the right of the dial and remembers their rectangles."""

    def __init__(self, cv):
        self.cv = cv
        self.x = SIZE + 4
        self.rects = {}

    def hand(self, key, width, length, draw):
        h = 2 * length + 1
        left, top = self.x, (SIZE - h) // 2
        # draw(cv, px, py): px, py are the pivot's continuous centre in sheet coordinates
        draw(self.cv, left + width / 2, top + length + 0.5)
        self.rects[key] = (left, top, width, h)
        self.x += width + 4

    def cap(self, size, draw):
        left, top = self.x, 4
        draw(self.cv, left + size / 2, top + size / 2)
        self.rects["CenterPoint"] = (left, top, size, size)
        self.x += size + 4


def tapered(tip_w, base_w, length, tail, tail_w, colour, outline=None, fill=None, tip="point"):
    """A hand drawn from its tail up to its tip, around the pivot (px, py)."""
    def draw(cv, px, py):
        tip_y = py - length + 0.5
        pts = [(px - base_w / 2, py), (px - tip_w / 2, tip_y + (tip_w if tip == "point" else 0))]
        if tip == "point":
            pts.append((px, tip_y))
        pts += [(px + tip_w / 2, tip_y + (tip_w if tip == "point" else 0)), (px + base_w / 2, py),
                (px + tail_w / 2, py + tail), (px - tail_w / 2, py + tail)]
        polygon(cv, pts, outline or colour)
        if fill:
            inner = [(px - base_w / 2 + 1.2, py), (px - tip_w / 2 + 1.0, tip_y + tip_w + 2.5)]
            if tip == "point":
                inner.append((px, tip_y + 3.0))
            inner += [(px + tip_w / 2 - 1.0, tip_y + tip_w + 2.5), (px + base_w / 2 - 1.2, py)]
            polygon(cv, inner, fill)
    return draw


def needle(length, tail, width, colour, disc=0, tail_disc=0):
    def draw(cv, px, py):
        line(cv, px, py + tail, px, py - length + 1, colour, width)
        if disc:
            circle(cv, px, py, disc, lambda *_: colour)
        if tail_disc:
            circle(cv, px, py + tail, tail_disc, lambda *_: colour)
    return draw


def cap_disc(r, outer, inner=None, r_inner=0):
    def draw(cv, cx, cy):
        circle(cv, cx, cy, r, lambda *_: outer)
        if inner:
            circle(cv, cx, cy, r_inner, lambda *_: inner)
    return draw


# --- the faces --------------------------------------------------------------------------------


def classic():
    cv = Canvas(SHEET_W, SIZE)
    # bezel: polished steel ring, then a thin dark line and the white dial
    ring(cv, C, C, 0, R, diagonal((236, 238, 242), (96, 100, 110)))
    ring(cv, C, C, 0, R - 4, diagonal((90, 94, 104), (226, 228, 234)))
    circle(cv, C, C, R - 6, radial(C, C, R - 6, (255, 255, 255), (232, 230, 224), 2.2))
    ink = (28, 30, 36)
    for i in range(60):
        if i % 5:
            tick(cv, i * 6, R - 9, R - 13, 1.0, (70, 72, 80))
    for i in range(12):
        tick(cv, i * 30, R - 9, R - 18 if i % 3 == 0 else R - 16, 2.6 if i % 3 == 0 else 1.8, ink)
    romans = ["XII", "I", "II", "III", "IIII", "V", "VI", "VII", "VIII", "IX", "X", "XI"]
    for i, text in enumerate(romans):
        x, y = polar(i * 30, R - 30)
        numeral(cv, text, x, y, 9.5, ink, 1.25)
    hs = HandSheet(cv)
    hs.hand("HourHand", 9, 42, tapered(3, 7, 42, 10, 4, ink))
    hs.hand("MinuteHand", 7, 62, tapered(2, 5, 62, 12, 3, ink))
    hs.hand("SecondHand", 5, 68, needle(68, 18, 1.4, (196, 28, 36), tail_disc=2.2))
    hs.cap(9, cap_disc(4.4, (196, 28, 36), (40, 40, 44), 1.6))
    return cv, hs.rects


def night():
    cv = Canvas(SHEET_W, SIZE)
    ring(cv, C, C, 0, R, diagonal((84, 90, 104), (14, 16, 22)))
    circle(cv, C, C, R - 3, radial(C - 12, C - 14, R * 1.3, (40, 50, 70), (8, 10, 16), 1.2))
    lume = (150, 255, 200)
    lume_edge = (56, 150, 110)
    for i in range(60):
        if i % 5:
            circle(cv, *polar(i * 6, R - 9), 1.0, lambda *_: (120, 130, 150))
    for i in range(12):
        if i == 0:
            for dx in (-3.2, 3.2):
                a = math.degrees(math.atan2(dx, R - 14))
                tick(cv, a, R - 7, R - 24, 4.2, lume_edge)
                tick(cv, a, R - 8, R - 23, 2.6, lume)
        elif i % 3 == 0:
            tick(cv, i * 30, R - 7, R - 24, 5.4, lume_edge)
            tick(cv, i * 30, R - 8, R - 23, 3.6, lume)
        else:
            circle(cv, *polar(i * 30, R - 13), 3.4, lambda *_: lume_edge)
            circle(cv, *polar(i * 30, R - 13), 2.3, lambda *_: lume)
    frame = (200, 206, 216)
    hs = HandSheet(cv)
    hs.hand("HourHand", 11, 40, tapered(8, 9, 40, 9, 5, frame, outline=frame, fill=lume,
                                        tip="point"))
    hs.hand("MinuteHand", 9, 62, tapered(6, 7, 62, 11, 4, frame, outline=frame, fill=lume,
                                         tip="point"))
    hs.hand("SecondHand", 7, 68, needle(68, 20, 1.5, (255, 140, 40), disc=0, tail_disc=3.0))
    hs.cap(11, cap_disc(5.2, (255, 140, 40), (30, 30, 34), 2.0))
    return cv, hs.rects


def minimal():
    cv = Canvas(SHEET_W, SIZE)
    ring(cv, C, C, 0, R, lambda *_: (52, 54, 58))
    circle(cv, C, C, R - 2, radial(C, C - 30, R * 1.6, (252, 251, 248), (226, 224, 218), 1.0))
    ink = (44, 46, 50)
    for i in range(12):
        if i % 3 == 0:
            tick(cv, i * 30, R - 8, R - 22, 3.4, ink)
        else:
            circle(cv, *polar(i * 30, R - 11), 2.0, lambda *_: (120, 122, 128))
    hs = HandSheet(cv)
    hs.hand("HourHand", 7, 40, needle(40, 0, 5.0, ink))
    hs.hand("MinuteHand", 5, 62, needle(62, 0, 3.4, ink))
    hs.hand("SecondHand", 5, 70, needle(70, 16, 1.3, (226, 74, 50), disc=0))
    hs.cap(9, cap_disc(4.4, (226, 74, 50), (250, 250, 248), 1.4))
    return cv, hs.rects


FACES = {"Classic": classic, "Night": night, "Minimal": minimal}
BUILTIN = "Classic"


def face_ini(rects):
    lines = ["[VER]", "ClockVer=1.0", "", "[Clock]"]
    fx = {"Clock": (0, 0, SIZE, SIZE)}
    fx.update(rects)
    for key in ("Clock", "HourHand", "MinuteHand", "SecondHand", "CenterPoint"):
        left, top, w, h = fx[key]
        lines += [f"{key}Left={left}", f"{key}Top={top}", f"{key}Width={w}", f"{key}Height={h}"]
    lines += ["", "[CLOCK]", f"CenterX={SIZE // 2}", f"CenterY={SIZE // 2}", ""]
    return "\n".join(lines)


def check_keys(cv, rects):
    for key, (left, top, w, h) in rects.items():
        assert cv.get(left, top + h - 1) == MAGENTA, key + ": bottom-left pixel must be fuchsia"
        assert left + w <= cv.w and top + h <= cv.h, key + " lies outside the sheet"


def builtin_cpp(data):
    out = ["// The face the clock starts with, so it always has one. Written by tools/make_faces.py",
           "// (the " + BUILTIN + " face's package); do not edit by hand.",
           '#include "faces/builtin_face.h"', "", "namespace tobu {", "", "namespace {", "",
           "// clang-format off", "constexpr unsigned char kBytes[] = {"]
    for i in range(0, len(data), 16):
        out.append("    " + ", ".join(str(b) for b in data[i:i + 16]) + ",")
    out += ["};", "// clang-format on", "", "} // namespace", "",
            "std::string_view BuiltinClockFacePackage() {",
            "    return {reinterpret_cast<const char*>(kBytes), sizeof kBytes};", "}", "",
            "} // namespace tobu", ""]
    return "\n".join(out)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.dirname(here)
    outdir = os.path.join(root, "data")
    tobu = None
    args = list(argv)
    if "--tobu" in args:
        i = args.index("--tobu")
        tobu = args[i + 1]
        del args[i:i + 2]
    if args:
        outdir = args[0]
    clock_dir = os.path.join(outdir, "Clock")
    os.makedirs(clock_dir, exist_ok=True)
    for name, draw in FACES.items():
        cv, rects = draw()
        check_keys(cv, rects)
        ini = face_ini(rects)
        path = os.path.join(clock_dir, name + ".cl")
        if tobu:
            with tempfile.TemporaryDirectory() as d:
                with open(os.path.join(d, "face.ini"), "wb") as f:
                    f.write(ini.replace("\n", "\r\n").encode("gbk"))
                with open(os.path.join(d, "sheet.bmp"), "wb") as f:
                    f.write(bmp24(cv))
                subprocess.run([tobu, "face", "pack", d, path], check=True,
                               stdout=subprocess.DEVNULL)
                subprocess.run([tobu, "face", "info", path], check=True, stdout=subprocess.DEVNULL)
        else:
            write_atomic(path, package(ini, cv))
        print("wrote", path)
        if name == BUILTIN:
            with open(path, "rb") as f:
                data = f.read()
            write_atomic(os.path.join(root, "src", "faces", "builtin_face.cpp"),
                         builtin_cpp(data).encode())
            print("wrote src/faces/builtin_face.cpp")


if __name__ == "__main__":
    main(sys.argv[1:])
