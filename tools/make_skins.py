#!/usr/bin/env python3
"""Draws the shipped skins and writes their packages.

Every bar skin is one sprite sheet 332 pixels wide in the default layout:
  rows   0..33   bar background (332 x 34)
  rows  34..423  calendar background (332 x 390)
  rows 424..583  weather background (332 x 160)
  row  584       buttons: menu normal/hot at x 0/43 (43 x 26), minimise normal/hot at
                 x 86/112 (26 x 9), year button at x 138 (11 x 11)
Magenta (255, 0, 255) is see-through. The dialog frame package has its own layout: frame
picture 100 x 50 at the origin, close button normal at (0, 50) and hot at (43, 50), 43 x 17.

Package: 4 leading bytes, L1 (int64 LE), settings text (GBK, CR LF), L2 (int64 LE), BMP file.

Usage: make_skins.py [OUTDIR] [--preview PNGDIR]
  OUTDIR defaults to data/ next to this script's folder; packages go to OUTDIR/Skin/.
Only the Python standard library is used.
"""

import math
import os
import struct
import sys
import zlib

MAGENTA = (255, 0, 255)


# --- canvas -----------------------------------------------------------------------------------


class Canvas:
    def __init__(self, w, h, fill=MAGENTA):
        self.w, self.h = w, h
        self.px = [list(fill) for _ in range(w * h)]

    def get(self, x, y):
        return tuple(self.px[y * self.w + x])

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = list(c)

    def blend(self, x, y, c, a):
        if a <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        if tuple(self.px[y * self.w + x]) == MAGENTA:
            # Never mix with the see-through colour: that would leave purple fringes.
            if a >= 0.5:
                self.set(x, y, c)
            return
        if a >= 1:
            self.set(x, y, c)
            return
        p = self.px[y * self.w + x]
        self.px[y * self.w + x] = [round(p[i] * (1 - a) + c[i] * a) for i in range(3)]

    def blit(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                self.set(ox + x, oy + y, other.get(x, y))

    def crop(self, x0, y0, w, h):
        c = Canvas(w, h)
        for y in range(h):
            for x in range(w):
                c.set(x, y, self.get(x0 + x, y0 + y))
        return c


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def lerp_stops(stops, t):
    """stops: [(pos, colour), ...] sorted by pos."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 0)
    return stops[-1][1]


def in_round_rect(px, py, x, y, w, h, r):
    """Is the point (px, py) (continuous) inside the rounded rectangle?"""
    if px < x or py < y or px > x + w or py > y + h:
        return False
    cx = min(max(px, x + r), x + w - r)
    cy = min(max(py, y + r), y + h - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r + 1e-9


def coverage(inside, x, y, n=4):
    hits = 0
    for j in range(n):
        for i in range(n):
            if inside(x + (i + 0.5) / n, y + (j + 0.5) / n):
                hits += 1
    return hits / (n * n)


def fill_shape(cv, inside, colour_at, bbox, hard=False, alpha_at=None, full=None):
    """Fills the pixels of bbox covered by `inside`; colour_at(x, y) gives each colour.
    hard: a pixel is fully painted when at least half covered (edges next to magenta)."""
    x0, y0, x1, y1 = bbox
    for y in range(max(y0, 0), min(y1, cv.h)):
        for x in range(max(x0, 0), min(x1, cv.w)):
            a = 1.0 if full and full(x, y) else coverage(inside, x, y)
            if hard:
                a = 1.0 if a >= 0.5 else 0.0
            if alpha_at:
                a *= alpha_at(x, y)
            if a > 0:
                cv.blend(x, y, colour_at(x, y), a)


def round_rect(cv, x, y, w, h, r, colour_at, hard=False, alpha_at=None):
    def full(px, py):  # the pixel lies in the cross of the rounded rectangle
        inx = px >= x and px + 1 <= x + w
        iny = py >= y and py + 1 <= y + h
        return inx and iny and ((px >= x + r and px + 1 <= x + w - r) or
                                (py >= y + r and py + 1 <= y + h - r))
    fill_shape(cv, lambda px, py: in_round_rect(px, py, x, y, w, h, r), colour_at,
               (int(x), int(y), int(math.ceil(x + w)), int(math.ceil(y + h))), hard, alpha_at,
               full)


def rim(cv, x, y, w, h, r, colour, width=1.0):
    """A rounded outline `width` pixels wide just inside the rectangle."""
    def inside(px, py):
        return in_round_rect(px, py, x, y, w, h, r) and not in_round_rect(
            px, py, x + width, y + width, w - 2 * width, h - 2 * width, max(r - width, 0))
    fill_shape(cv, inside, lambda *_: colour,
               (int(x), int(y), int(math.ceil(x + w)), int(math.ceil(y + h))))


def vgrad(y0, h, stops):
    return lambda x, y: lerp_stops(stops, (y - y0 + 0.5) / h)


def line(cv, x0, y0, x1, y1, colour, width=1.0):
    """An anti-aliased straight stroke."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1e-9

    def inside(px, py):
        t = max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / length2))
        qx, qy = x0 + t * dx, y0 + t * dy
        return (px - qx) ** 2 + (py - qy) ** 2 <= (width / 2) ** 2

    pad = width + 1
    fill_shape(cv, inside, lambda *_: colour,
               (int(min(x0, x1) - pad), int(min(y0, y1) - pad),
                int(max(x0, x1) + pad) + 1, int(max(y0, y1) + pad) + 1))


def polygon(cv, pts, colour):
    def inside(px, py):
        c = False
        n = len(pts)
        for i in range(n):
            (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % n]
            if (ya > py) != (yb > py) and px < (xb - xa) * (py - ya) / (yb - ya) + xa:
                c = not c
        return c
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    fill_shape(cv, inside, lambda *_: colour,
               (int(min(xs)), int(min(ys)), int(math.ceil(max(xs))) + 1, int(math.ceil(max(ys))) + 1))


def circle(cv, cx, cy, r, colour_at):
    fill_shape(cv, lambda px, py: (px - cx) ** 2 + (py - cy) ** 2 <= r * r, colour_at,
               (int(cx - r) - 1, int(cy - r) - 1, int(cx + r) + 2, int(cy + r) + 2))


# --- files ------------------------------------------------------------------------------------


def bmp24(cv):
    stride = (cv.w * 3 + 3) & ~3
    rows = bytearray()
    for y in range(cv.h - 1, -1, -1):
        row = bytearray()
        for x in range(cv.w):
            r, g, b = cv.get(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return header + info + bytes(rows)


def png(cv):
    raw = bytearray()
    for y in range(cv.h):
        raw.append(0)
        for x in range(cv.w):
            raw += bytes(cv.get(x, y))

    def chunk(kind, data):
        c = struct.pack(">I", len(data)) + kind + data
        return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", cv.w, cv.h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def package(ini_text, cv, lead=0):
    text = ini_text.replace("\r\n", "\n").replace("\n", "\r\n").encode("gbk")
    bmp = bmp24(cv)
    return struct.pack("<I", lead) + struct.pack("<q", len(text)) + text + struct.pack("<q", len(bmp)) + bmp


def write_atomic(path, data):
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
        f.flush()
        os.fsync(f.fileno())
    os.replace(tmp, path)


def tcolor(c):
    """(r, g, b) -> the settings files' colour integer 0x00BBGGRR."""
    r, g, b = c
    return r | (g << 8) | (b << 16)


# --- the bar skins ----------------------------------------------------------------------------

W = 332


def draw_bar(cv, t):
    """Bar background 332 x 34 at the top of the sheet."""
    round_rect(cv, 0, 0, W, 34, 7, vgrad(0, 34, t["bar"]), hard=True)
    # Gloss on the upper half, a soft line under it, then the rim.
    ga = t.get("gloss_alpha", 0.35)
    round_rect(cv, 1.5, 1.5, W - 3, 15, 6, lambda x, y: t["gloss"][0],
               alpha_at=lambda x, y: ga * (1.0 - (y - 1.5) / 16.0))
    for x in range(3, W - 3):
        cv.blend(x, 1, t["gloss"][1], 0.6)
    rim(cv, 0, 0, W, 34, 7, t["rim"])
    rim(cv, 1, 1, W - 2, 32, 6, t["inner_rim"])
    # A recessed well behind the date line.
    round_rect(cv, 172, 8, 156, 20, 4, lambda x, y: t["well"][0])
    rim(cv, 172, 8, 156, 20, 4, t["well"][1])
    # A faint frame around the LED panel's place (53, 4, 116, 26).
    rim(cv, 51, 2, 120, 30, 4, t["led_halo"])


def draw_menu_button(cv, ox, oy, t, hot):
    """43 x 26: a rounded key with three lines and a small caret."""
    b = Canvas(43, 26)
    stops = t["btn_hot"] if hot else t["btn"]
    round_rect(b, 0, 0, 43, 26, 6, vgrad(0, 26, stops), hard=True)
    rim(b, 0, 0, 43, 26, 6, t["btn_rim"])
    rim(b, 1, 1, 41, 24, 5, t["btn_shine"])
    g = t["glyph_hot"] if hot else t["glyph"]
    for i, yy in enumerate((8.5, 13, 17.5)):
        line(b, 10, yy, 24, yy, g, 2.0)
    polygon(b, [(28, 11), (35, 11), (31.5, 15.5)], g)
    cv.blit(b, ox, oy)


def draw_min_button(cv, ox, oy, t, hot):
    """26 x 9: a small pill with a dash."""
    b = Canvas(26, 9)
    stops = t["btn_hot"] if hot else t["btn"]
    round_rect(b, 0, 0, 26, 9, 4, vgrad(0, 9, stops), hard=True)
    rim(b, 0, 0, 26, 9, 4, t["btn_rim"])
    line(b, 9, 4.5, 17, 4.5, t["glyph_hot"] if hot else t["glyph"], 2.0)
    cv.blit(b, ox, oy)


def draw_year_button(cv, ox, oy, t):
    b = Canvas(11, 11)
    round_rect(b, 0, 0, 11, 11, 3, vgrad(0, 11, t["btn"]), hard=True)
    rim(b, 0, 0, 11, 11, 3, t["btn_rim"])
    polygon(b, [(2.5, 4), (8.5, 4), (5.5, 8)], t["glyph"])
    cv.blit(b, ox, oy)


def draw_panel(cv, oy, h, t, header_h, header=None):
    """A companion window background: rounded panel, header band, body."""
    round_rect(cv, 0, oy, W, h, 9, vgrad(oy, h, t["panel"]), hard=True)
    round_rect(cv, 2, oy + 2, W - 4, header_h, 7, vgrad(oy + 2, header_h, header or t["header"]))
    for x in range(6, W - 6):
        cv.blend(x, oy + 2 + header_h, t["header_line"], 0.9)
    rim(cv, 0, oy, W, h, 9, t["rim"])
    rim(cv, 1, oy + 1, W - 2, h - 2, 8, t["inner_rim"])


def draw_calendar(cv, t):
    oy = 34
    # The calendar's captions use the calendar text colour, so its header may differ.
    draw_panel(cv, oy, 390, t, 38, t.get("cal_header"))
    # The month grid (3, 43, 326 x 272) paints itself; give it a soft sunken frame.
    rim(cv, 2, oy + 42, 328, 274, 3, t["grid_frame"])
    # The four information lines (12, 321..389).
    round_rect(cv, 6, oy + 318, 320, 68, 6, lambda x, y: t["info"][0])
    rim(cv, 6, oy + 318, 320, 68, 6, t["info"][1])
    for i in range(1, 4):
        yy = oy + 318 + i * 17
        for x in range(14, 318):
            cv.blend(x, yy, t["info"][1], 0.5)


def draw_weather(cv, t):
    oy = 424
    draw_panel(cv, oy, 160, t, 38)
    # The page frame (6, 44, 320 x 109).
    rim(cv, 4, oy + 42, 324, 113, 3, t["grid_frame"])
    round_rect(cv, 6, oy + 44, 320, 109, 1, lambda x, y: (255, 255, 255))


def draw_sheet(t):
    cv = Canvas(W, 610)
    draw_bar(cv, t)
    draw_calendar(cv, t)
    draw_weather(cv, t)
    draw_menu_button(cv, 0, 584, t, False)
    draw_menu_button(cv, 43, 584, t, True)
    draw_min_button(cv, 86, 584, t, False)
    draw_min_button(cv, 112, 584, t, True)
    draw_year_button(cv, 138, 584, t)
    return cv


def skin_ini(t):
    c = t["colors"]
    lines = [
        "; %s" % t["title"],
        "[VER]", "SkinVer=1.0",
        "[INFO]", "Name=%s" % t["title"], "Author=TobuClock",
        "[BAR]",
        "BarBkLeft=0", "BarBkTop=0", "BarBkWidth=332", "BarBkHeight=34",
    ]
    for k in ("LEDBkColor", "LEDDarkColor", "LEDFontColor", "LEDBorderColor", "FontColor"):
        lines.append("%s=%d" % (k, tcolor(c[k])))
    lines += [
        "[BUTTON]",
        "MenuBtnUpLeft=0", "MenuBtnUpTop=584", "MenuBtnUpWidth=43", "MenuBtnUpHeight=26",
        "MenuBtnHotLeft=43", "MenuBtnHotTop=584", "MenuBtnHotWidth=43", "MenuBtnHotHeight=26",
        "MinBtnUpLeft=86", "MinBtnUpTop=584", "MinBtnUpWidth=26", "MinBtnUpHeight=9",
        "MinBtnHotLeft=112", "MinBtnHotTop=584", "MinBtnHotWidth=26", "MinBtnHotHeight=9",
        "YearBtnUpLeft=138", "YearBtnUpTop=584", "YearBtnUpWidth=11", "YearBtnUpHeight=11",
        "MonthBtnUpLeft=138", "MonthBtnUpTop=584", "MonthBtnUpWidth=11", "MonthBtnUpHeight=11",
        "[MENU]",
    ]
    for k in ("IconBarColor1", "IconBarColor2", "SelectionColor1", "SelectionColor2",
              "SelectionFrameColor"):
        lines.append("%s=%d" % (k, tcolor(c[k])))
    lines += [
        "[CALENDAR]",
        "CalendarBkLeft=0", "CalendarBkTop=34", "CalendarBkWidth=332", "CalendarBkHeight=390",
    ]
    for k in ("FontColor", "DayBackColor", "WeekBackColor", "HightlightBackColor", "MarkColor"):
        lines.append("%s=%d" % (k, tcolor(c["Cal" + k])))
    lines += [
        "[WEATHER]",
        "WeatherBkLeft=0", "WeatherBkTop=424", "WeatherBkWidth=332", "WeatherBkHeight=160",
        "FontColor=%d" % tcolor(c["WeatherFontColor"]),
    ]
    return "\n".join(lines) + "\n"


SKINS = {
    "BlueGlass": {
        "title": "经典蓝",
        "bar": [(0, (96, 158, 222)), (0.5, (38, 96, 176)), (0.55, (24, 74, 150)), (1, (44, 118, 196))],
        "gloss": [(255, 255, 255), (210, 232, 255)], "gloss_alpha": 0.32,
        "rim": (18, 52, 104), "inner_rim": (120, 176, 232),
        "well": [(20, 62, 128), (16, 48, 100)],
        "led_halo": (22, 60, 118),
        "btn": [(0, (120, 178, 236)), (0.5, (56, 120, 200)), (1, (40, 100, 182))],
        "btn_hot": [(0, (170, 214, 255)), (0.5, (92, 160, 236)), (1, (70, 140, 226))],
        "btn_rim": (18, 52, 104), "btn_shine": (170, 210, 250),
        "glyph": (240, 248, 255), "glyph_hot": (255, 255, 255),
        "panel": [(0, (226, 238, 252)), (1, (196, 218, 244))],
        "header": [(0, (96, 158, 222)), (0.5, (42, 104, 184)), (1, (34, 90, 166))],
        "header_line": (18, 52, 104),
        "cal_header": [(0, (250, 252, 255)), (0.5, (226, 238, 252)), (1, (204, 224, 248))],
        "grid_frame": (120, 150, 190),
        "info": [(238, 245, 253), (170, 196, 228)],
        "colors": {
            "LEDBkColor": (6, 18, 38), "LEDDarkColor": (22, 42, 68), "LEDFontColor": (110, 226, 255),
            "LEDBorderColor": (14, 40, 84), "FontColor": (255, 255, 255),
            "IconBarColor1": (224, 236, 252), "IconBarColor2": (150, 190, 236),
            "SelectionColor1": (214, 232, 255), "SelectionColor2": (150, 194, 244),
            "SelectionFrameColor": (40, 100, 182),
            "CalFontColor": (20, 40, 80), "CalDayBackColor": (250, 252, 255),
            "CalWeekBackColor": (226, 238, 252), "CalHightlightBackColor": (150, 194, 244),
            "CalMarkColor": (255, 236, 128),
            "WeatherFontColor": (255, 255, 255),
        },
    },
    "Dark": {
        "title": "暗夜",
        "bar": [(0, (78, 80, 88)), (0.5, (52, 53, 60)), (0.55, (40, 41, 47)), (1, (46, 47, 54))],
        "gloss": [(255, 255, 255), (130, 132, 140)], "gloss_alpha": 0.10,
        "rim": (8, 8, 10), "inner_rim": (92, 94, 104),
        "well": [(22, 23, 27), (12, 12, 14)],
        "led_halo": (14, 14, 17),
        "btn": [(0, (88, 90, 100)), (0.5, (56, 58, 66)), (1, (44, 45, 52))],
        "btn_hot": [(0, (120, 100, 70)), (0.5, (92, 70, 40)), (1, (78, 58, 30))],
        "btn_rim": (8, 8, 10), "btn_shine": (110, 112, 122),
        "glyph": (210, 212, 218), "glyph_hot": (255, 190, 90),
        "panel": [(0, (52, 54, 60)), (1, (34, 35, 40))],
        "header": [(0, (80, 82, 90)), (0.5, (50, 51, 58)), (1, (40, 41, 47))],
        "header_line": (10, 10, 12),
        "grid_frame": (20, 20, 24),
        "info": [(44, 45, 51), (70, 72, 80)],
        "colors": {
            "LEDBkColor": (0, 0, 0), "LEDDarkColor": (42, 26, 10), "LEDFontColor": (255, 172, 40),
            "LEDBorderColor": (70, 72, 80), "FontColor": (224, 224, 228),
            "IconBarColor1": (70, 72, 80), "IconBarColor2": (44, 45, 52),
            "SelectionColor1": (255, 214, 150), "SelectionColor2": (236, 168, 72),
            "SelectionFrameColor": (150, 96, 20),
            "CalFontColor": (230, 230, 234), "CalDayBackColor": (250, 248, 244),
            "CalWeekBackColor": (236, 232, 224), "CalHightlightBackColor": (246, 196, 120),
            "CalMarkColor": (255, 200, 120),
            "WeatherFontColor": (255, 190, 90),
        },
    },
    "Light": {
        "title": "素雅",
        "bar": [(0, (255, 255, 255)), (0.5, (243, 245, 248)), (0.55, (232, 235, 240)), (1, (222, 226, 232))],
        "gloss": [(255, 255, 255), (255, 255, 255)], "gloss_alpha": 0.6,
        "rim": (150, 158, 172), "inner_rim": (255, 255, 255),
        "well": [(236, 239, 243), (200, 206, 214)],
        "led_halo": (206, 212, 220),
        "btn": [(0, (255, 255, 255)), (0.5, (236, 239, 244)), (1, (220, 225, 232))],
        "btn_hot": [(0, (236, 246, 255)), (0.5, (206, 230, 252)), (1, (186, 216, 248))],
        "btn_rim": (150, 158, 172), "btn_shine": (255, 255, 255),
        "glyph": (70, 80, 96), "glyph_hot": (24, 96, 180),
        "panel": [(0, (252, 252, 253)), (1, (234, 237, 242))],
        "header": [(0, (255, 255, 255)), (0.5, (240, 242, 246)), (1, (228, 232, 238))],
        "header_line": (190, 198, 208),
        "grid_frame": (200, 206, 214),
        "info": [(255, 255, 255), (214, 219, 226)],
        "colors": {
            "LEDBkColor": (226, 234, 222), "LEDDarkColor": (208, 218, 204), "LEDFontColor": (34, 44, 56),
            "LEDBorderColor": (150, 158, 172), "FontColor": (48, 56, 70),
            "IconBarColor1": (250, 251, 253), "IconBarColor2": (226, 230, 238),
            "SelectionColor1": (226, 240, 255), "SelectionColor2": (190, 220, 250),
            "SelectionFrameColor": (100, 150, 210),
            "CalFontColor": (48, 56, 70), "CalDayBackColor": (255, 255, 255),
            "CalWeekBackColor": (240, 243, 247), "CalHightlightBackColor": (190, 220, 250),
            "CalMarkColor": (255, 226, 150),
            "WeatherFontColor": (48, 56, 70),
        },
    },
}


# --- the dialog frame -------------------------------------------------------------------------


def draw_frame_sheet():
    cv = Canvas(100, 67)
    caption = [(0, (104, 164, 226)), (0.48, (48, 110, 188)), (0.52, (34, 92, 168)), (1, (44, 112, 190))]
    body = (240, 244, 250)
    # Whole frame: caption strip rows 0..27, body below, a dark rim following the rounded shape
    # of the window (radius 6.5 from the frame's own corner).
    round_rect(cv, 0, 0, 100, 50, 6.5, lambda x, y: body, hard=True)
    fill_shape(cv, lambda px, py: in_round_rect(px, py, 0, 0, 100, 50, 6.5) and py < 28,
               vgrad(0, 28, caption), (0, 0, 100, 28))
    for x in range(1, 99):
        cv.blend(x, 1, (190, 222, 255), 0.7)
        cv.blend(x, 27, (20, 56, 110), 0.9)
    # Edges: a soft inner border inside the rim, left/right/bottom.
    for y in range(28, 49):
        for x in (1, 98):
            cv.blend(x, y, (200, 214, 232), 1.0)
    for x in range(1, 99):
        cv.blend(x, 48, (200, 214, 232), 1.0)
    rim(cv, 0, 0, 100, 50, 6.5, (26, 60, 110))
    # Close buttons 43 x 17 at (0, 50) and (43, 50): a tab hanging from the top edge.
    for ox, hot in ((0, False), (43, True)):
        b = Canvas(43, 17)
        stops = ([(0, (236, 112, 96)), (0.5, (208, 58, 42)), (1, (188, 40, 28))] if hot else
                 [(0, (120, 170, 226)), (0.5, (62, 122, 198)), (1, (50, 104, 180))])
        round_rect(b, 0, -6, 43, 23, 6, vgrad(0, 17, stops), hard=True)
        rim(b, 0, -6, 43, 23, 6, (112, 24, 16) if hot else (26, 60, 110))
        line(b, 17.5, 4.5, 25.5, 12.5, (255, 255, 255), 2.0)
        line(b, 25.5, 4.5, 17.5, 12.5, (255, 255, 255), 2.0)
        cv.blit(b, ox, 50)
    return cv


FRAME_INI = """; 默认对话框边框
[VER]
SkinVer=1.0
[WIN]
WinLeft=0
WinTop=0
WinWidth=100
WinHeight=50
CloseBtnLeft=0
CloseBtnTop=50
CloseBtnWidth=43
CloseBtnHeight=17
CloseBtnHotLeft=43
CloseBtnHotTop=50
CloseBtnHotWidth=43
CloseBtnHotHeight=17
CaptionColor=16777215
"""


# --- previews ---------------------------------------------------------------------------------

SEGMENTS = {  # a b c d e f g
    "0": "abcdef", "1": "bc", "2": "abdeg", "3": "abcdg", "4": "bcfg", "5": "acdfg",
    "6": "acdefg", "7": "abc", "8": "abcdefg", "9": "abcdfg",
}


def draw_led(cv, ox, oy, text, lit, dark, thick=3, ww=12, wh=19, space=2):
    x = ox
    for ch in text:
        if ch == ":":
            for yy in (oy + 5, oy + 12):
                for dy in range(2):
                    for dx in range(2):
                        cv.set(x + 1 + dx, yy + dy, lit)
            x += 4 + space
            continue
        on = SEGMENTS[ch]
        half = wh // 2
        rects = {
            "a": (x + 1, oy, ww - 2, thick), "d": (x + 1, oy + wh - thick, ww - 2, thick),
            "g": (x + 1, oy + half - 1, ww - 2, thick - 1),
            "f": (x, oy + 1, thick, half - 1), "b": (x + ww - thick, oy + 1, thick, half - 1),
            "e": (x, oy + half, thick, half - 1), "c": (x + ww - thick, oy + half, thick, half - 1),
        }
        for seg, (rx, ry, rw, rh) in rects.items():
            colour = lit if seg in on else dark
            for yy in range(ry, ry + rh):
                for xx in range(rx, rx + rw):
                    cv.set(xx, yy, colour)
        x += ww + space


def bar_preview(sheet, t, backdrop=(92, 112, 128)):
    """The bar as the program assembles it, over a desktop colour, for a look at the result."""
    c = t["colors"]
    out = Canvas(W + 24, 34 + 24, backdrop)
    bar = sheet.crop(0, 0, W, 34)
    for y in range(34):
        for x in range(W):
            p = bar.get(x, y)
            if p != MAGENTA:
                out.set(12 + x, 12 + y, p)

    def put(img, x0, y0):
        for y in range(img.h):
            for x in range(img.w):
                p = img.get(x, y)
                if p != MAGENTA:
                    out.set(12 + x0 + x, 12 + y0 + y, p)
    put(sheet.crop(0, 584, 43, 26), 8, 4)
    put(sheet.crop(86, 584, 26, 9), 296, 1)
    # RzPanel2 (53, 4, 116, 26): flat border, LED background, digits.
    for y in range(26):
        for x in range(116):
            edge = x in (0, 115) or y in (0, 25)
            out.set(12 + 53 + x, 12 + 4 + y, c["LEDBorderColor"] if edge else c["LEDBkColor"])
    draw_led(out, 12 + 53 + 1 + 6, 12 + 4 + 1 + 2, "12:34:56", c["LEDFontColor"], c["LEDDarkColor"])
    return out


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    outdir = os.path.join(os.path.dirname(here), "data")
    preview = None
    args = list(argv)
    if "--preview" in args:
        i = args.index("--preview")
        preview = args[i + 1]
        del args[i:i + 2]
    if args:
        outdir = args[0]
    skin_dir = os.path.join(outdir, "Skin")
    os.makedirs(skin_dir, exist_ok=True)
    if preview:
        os.makedirs(preview, exist_ok=True)
    for name, t in SKINS.items():
        sheet = draw_sheet(t)
        write_atomic(os.path.join(skin_dir, name + ".sk"), package(skin_ini(t), sheet))
        if preview:
            write_atomic(os.path.join(preview, name + "-sheet.png"), png(sheet))
            write_atomic(os.path.join(preview, name + "-bar.png"), png(bar_preview(sheet, t)))
        print("wrote", os.path.join(skin_dir, name + ".sk"))
    frame = draw_frame_sheet()
    write_atomic(os.path.join(skin_dir, "Window.skw"), package(FRAME_INI, frame))
    if preview:
        write_atomic(os.path.join(preview, "Window-sheet.png"), png(frame))
    print("wrote", os.path.join(skin_dir, "Window.skw"))


if __name__ == "__main__":
    main(sys.argv[1:])
