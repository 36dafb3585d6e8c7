#!/usr/bin/env python3
"""Writes the twelve play-field backgrounds, Background1.svg to Background12.svg (320 x 480).

Backgrounds stay soft and low in contrast: the figure and the balls carry the dark outlines.
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
from artkit import INK_SOFT, circle, cloud, f, path, poly, rect, rng, ridge, smooth_closed, svg, write  # noqa: E402

W, H = 320, 480


def vgrad(gid, stops):
    s = "".join(f'<stop offset="{f(o)}" stop-color="{c}"/>' for o, c in stops)
    return f'<linearGradient id="{gid}" x1="0" y1="0" x2="0" y2="1">{s}</linearGradient>'


def rgrad(gid, cx, cy, rr, stops):
    s = "".join(f'<stop offset="{f(o)}" stop-color="{c}" stop-opacity="{f(a)}"/>' for o, c, a in stops)
    return (f'<radialGradient id="{gid}" cx="{f(cx)}" cy="{f(cy)}" r="{f(rr)}" '
            f'gradientUnits="userSpaceOnUse">{s}</radialGradient>')


def sky(gid, top, bottom, mid=None):
    stops = [(0, top), (1, bottom)] if mid is None else [(0, top), (0.55, mid), (1, bottom)]
    return vgrad(gid, stops), rect(0, 0, W, H, f"url(#{gid})")


def stars(r, n, y_max, colour="#fff8e0", big=0.12):
    out = ""
    for _ in range(n):
        x, y = r.uniform(4, W - 4), r.uniform(4, y_max)
        if r.random() < big:
            s = r.uniform(3, 5)
            out += path(f"M{f(x)} {f(y - s)} Q{f(x)} {f(y)} {f(x + s)} {f(y)} Q{f(x)} {f(y)} {f(x)} {f(y + s)} "
                        f"Q{f(x)} {f(y)} {f(x - s)} {f(y)} Q{f(x)} {f(y)} {f(x)} {f(y - s)} Z", colour)
        else:
            out += circle(x, y, r.uniform(0.6, 1.5), colour, extra=f' opacity="{f(r.uniform(0.4, 0.9))}"')
    return out


def pine(x, base, h, fill, shade, snow=None):
    """A three-tier cartoon fir standing on (x, base)."""
    out = rect(x - h * 0.05, base - h * 0.12, h * 0.1, h * 0.14, "#5b4030", stroke=INK_SOFT, sw=1)
    for i in range(3):
        top = base - h + i * h * 0.24
        bot = base - h * 0.08 - (2 - i) * h * 0.22
        half = h * (0.2 + i * 0.07)
        tri = [(x, top), (x + half, bot), (x - half, bot)]
        out += path(poly(tri), fill, stroke=INK_SOFT, sw=1.2)
        out += path(poly([(x, top), (x + half, bot), (x + half * 0.15, bot)]), shade)
        if snow:
            s = [(x, top), (x + half * 0.45, top + (bot - top) * 0.45), (x + half * 0.15, top + (bot - top) * 0.38),
                 (x - half * 0.1, top + (bot - top) * 0.5), (x - half * 0.45, top + (bot - top) * 0.45)]
            out += path(poly(s), snow)
    return out


# --- the twelve scenes -------------------------------------------------------------------------

def space(r):
    defs, body = sky("s", "#141634", "#2c2258", "#1d1b47")
    defs += rgrad("neb1", 90, 170, 150, [(0, "#b05cc8", 0.45), (1, "#b05cc8", 0)])
    defs += rgrad("neb2", 240, 300, 130, [(0, "#3fa3c8", 0.35), (1, "#3fa3c8", 0)])
    body += rect(0, 0, W, H, "url(#neb1)") + rect(0, 0, W, H, "url(#neb2)")
    body += stars(r, 110, H)
    # A ringed planet low on the right, half off the edge.
    px, py, pr = 268, 402, 58
    ring = f'<ellipse cx="{px}" cy="{py}" rx="{pr * 1.75}" ry="{pr * 0.42}" fill="none" stroke="{{c}}" stroke-width="{{w}}" transform="rotate(-18 {px} {py})"/>\n'
    # No ink outline and a little see-through: scenery must never pass for a ball.
    body += '<g opacity="0.8">\n' + ring.format(c="#e7b46a", w=8)
    body += circle(px, py, pr, "#e58f5c")
    body += path(f"M{px - pr} {py} A{pr} {pr} 0 0 0 {px + pr} {py} A{pr} {pr * 0.55} 0 0 1 {px - pr} {py} Z",
                 "#c96f4a")
    body += path(f"M{px - 36} {py - 30} q20 -12 52 -10", "none", stroke="#f6b487", sw=6)
    # Front half of the ring over the planet.
    body += (f'<path d="M{f(px - pr * 1.75)} {py} A{f(pr * 1.75)} {f(pr * 0.42)} 0 0 0 {f(px + pr * 1.75)} {py}" '
             f'fill="none" stroke="#e7b46a" stroke-width="8" transform="rotate(-18 {px} {py})"/>\n</g>\n')
    # A small far moon.
    body += circle(58, 78, 14, "#9aa4d6", extra=' opacity="0.7"') + circle(54, 74, 4, "#7f88bd", extra=' opacity="0.7"')
    return defs, body


def underwater(r):
    defs, body = sky("s", "#5fd0e0", "#123d7a", "#2a86b8")
    for i in range(5):
        x = 20 + i * 70 + r.uniform(-10, 10)
        body += path(poly([(x, 0), (x + 34, 0), (x + 90, H * 0.8), (x + 40, H * 0.8)]), "#ffffff",
                     extra=f' opacity="{f(0.06 + 0.03 * (i % 2))}"')
    # Sand floor with seaweed and rocks.
    body += path(ridge(W, H, 440, 8, 1.5, r), "#d9b77a", stroke=INK_SOFT, sw=1.5)
    body += path(ridge(W, H, 458, 5, 2.5, r), "#c49f66")
    for x, h, c in ((30, 120, "#3c9a63"), (52, 80, "#4fb172"), (250, 140, "#3c9a63"), (286, 95, "#4fb172")):
        pts = []
        for k in range(8):
            y = 446 - k * h / 7
            pts.append((x + 8 * math.sin(k * 1.3), y))
        d = f"M{f(pts[0][0] - 6)} {f(pts[0][1])}"
        for (sx, sy) in pts[1:]:
            d += f" L{f(sx - 4)} {f(sy)}"
        for (sx, sy) in reversed(pts[1:]):
            d += f" L{f(sx + 4)} {f(sy)}"
        d += f" L{f(pts[0][0] + 6)} {f(pts[0][1])} Z"
        body += path(d, c, stroke=INK_SOFT, sw=1.2)
    body += path(smooth_closed([(120, 452), (140, 428), (176, 424), (196, 446), (186, 462), (130, 464)]),
                 "#7d8aa3", stroke=INK_SOFT, sw=1.5)
    body += path("M142 432 q20 -6 34 0", "none", stroke="#a3afc4", sw=4)
    for _ in range(22):
        x, y, rr = r.uniform(10, W - 10), r.uniform(20, 420), r.uniform(2, 7)
        body += circle(x, y, rr, "#ffffff", stroke="#ffffff", sw=1.2, extra=' fill-opacity="0.12" stroke-opacity="0.5"')
        body += circle(x - rr * 0.35, y - rr * 0.35, rr * 0.25, "#ffffff", extra=' opacity="0.7"')
    # Two small distant fish.
    for x, y, s, c in ((70, 180, 1.0, "#f2a541"), (230, 250, 0.8, "#f27b6b")):
        body += (f'<g transform="translate({x} {y}) scale({s})" opacity="0.8">'
                 + path("M-14 0 Q-4 -10 10 0 Q-4 10 -14 0 Z", c, stroke=INK_SOFT, sw=1.2)
                 + path("M10 0 L20 -7 L20 7 Z", c, stroke=INK_SOFT, sw=1.2)
                 + circle(-7, -2, 1.5, "#2b2140") + "</g>\n")
    return defs, body


def day_sky(r):
    defs, body = sky("s", "#5aa9e6", "#cfeeff", "#8fcaf2")
    defs += rgrad("sun", 262, 70, 90, [(0, "#fff6c8", 0.9), (0.35, "#fff2a8", 0.45), (1, "#fff2a8", 0)])
    body += rect(0, 0, W, H, "url(#sun)")
    body += circle(262, 70, 30, "#fff1a0", stroke="#f0c75a", sw=2)
    for x, y, w in ((70, 120, 110), (230, 210, 90), (110, 330, 130), (260, 420, 100), (40, 450, 80)):
        body += cloud(x, y, w, r)
    for x, y in ((150, 90), (168, 100), (60, 250)):
        body += path(f"M{x - 6} {y} q3 -4 6 0 q3 -4 6 0", "none", stroke="#2b214077", sw=1.5)
    return defs, body


def city_night(r):
    defs, body = sky("s", "#1b1f4a", "#5a3c7a", "#2f2b63")
    body += stars(r, 50, 260)
    body += circle(80, 90, 44, "#fff4c9", extra=' opacity="0.15"')
    body += circle(80, 90, 30, "#fff4c9")
    body += circle(70, 84, 5, "#efe2b0") + circle(88, 102, 7, "#efe2b0") + circle(92, 78, 3, "#efe2b0")
    for layer, (top, col, win, op) in enumerate(((300, "#3d3670", "#8f86c9", 0.5), (340, "#2b2654", "#ffd86b", 0.9))):
        x = -10
        while x < W:
            bw = r.choice((34, 40, 46, 52))
            bh = r.uniform(60, 140) + layer * 10
            y = top + 60 - bh + layer * 30
            body += rect(x, y, bw, H - y + 5, col, stroke=INK_SOFT, sw=1.2)
            if r.random() < 0.3:
                body += rect(x + bw / 2 - 1, y - 14, 2, 14, col)
            for wy in range(int(y) + 8, H - 10, 14):
                for wx in range(int(x) + 6, int(x + bw) - 8, 10):
                    if r.random() < 0.35:
                        body += rect(wx, wy, 5, 7, win, extra=f' opacity="{op}"')
            x += bw + r.choice((0, 2, 4))
    return defs, body


def desert_sunset(r):
    defs, body = sky("s", "#6b4fa0", "#ffcf7a", "#f58a7a")
    body += circle(170, 300, 70, "#ffe08a", extra=' opacity="0.95"')
    body += circle(170, 300, 86, "#ffe08a", extra=' opacity="0.25"')
    body += path(poly([(-10, 340), (-10, 258), (58, 252), (66, 262), (74, 262), (88, 300), (100, 340)]), "#a9577a",
                 stroke=INK_SOFT, sw=1.2)
    body += path(poly([(-10, 262), (58, 256), (62, 262), (-10, 268)]), "#c97394")
    body += path(poly([(236, 340), (250, 296), (288, 292), (300, 304), (312, 340)]), "#b9668a",
                 stroke=INK_SOFT, sw=1.2)
    body += path(ridge(W, H, 340, 14, 1.2, r), "#e89a5c", stroke=INK_SOFT, sw=1.5)
    body += path(ridge(W, H, 385, 16, 1.6, r), "#d77f4a", stroke=INK_SOFT, sw=1.5)
    body += path(ridge(W, H, 435, 12, 1.1, r), "#c26a3d", stroke=INK_SOFT, sw=1.5)
    for x, base, s in ((60, 420, 1.0), (262, 372, 0.7)):
        c = "#4d7a4a"
        arm = (f"M{f(x - 5 * s)} {f(base)} L{f(x - 5 * s)} {f(base - 60 * s)} Q{f(x)} {f(base - 68 * s)} "
               f"{f(x + 5 * s)} {f(base - 60 * s)} L{f(x + 5 * s)} {f(base)} Z")
        body += path(arm, c, stroke=INK_SOFT, sw=1.5)
        body += path(f"M{f(x - 5 * s)} {f(base - 28 * s)} L{f(x - 16 * s)} {f(base - 28 * s)} L{f(x - 16 * s)} "
                     f"{f(base - 46 * s)}", "none", stroke=c, sw=7 * s)
        body += path(f"M{f(x + 5 * s)} {f(base - 36 * s)} L{f(x + 15 * s)} {f(base - 36 * s)} L{f(x + 15 * s)} "
                     f"{f(base - 52 * s)}", "none", stroke=c, sw=7 * s)
    return defs, body


def forest(r):
    defs, body = sky("s", "#bfe6d4", "#eef7e6")
    body += circle(70, 80, 26, "#fffbe0", extra=' opacity="0.9"')
    rows = ((300, "#9ccfae", "#8bc09d", 64), (390, "#6fb389", "#5fa279", 92), (490, "#3f8460", "#357152", 124))
    for i, (base, c, sh, h) in enumerate(rows):
        body += rect(0, base - 30, W, H - base + 40, c)
        x = -10 + r.uniform(0, 20)
        while x < W + 20:
            hh = h * r.uniform(0.8, 1.15)
            body += pine(x, base - 20 + r.uniform(-6, 6), hh, c, sh)
            x += h * 0.55 + r.uniform(0, 12)
        body += rect(0, base - 28, W, 40, "#ffffff", extra=' opacity="0.12"')
    return defs, body


def snowy_hills(r):
    defs, body = sky("s", "#9cc6ea", "#e9f3fb")
    body += path(ridge(W, H, 300, 24, 1.1, r), "#f4f8fc", stroke=INK_SOFT, sw=1.5)
    body += path(ridge(W, H, 312, 16, 1.1, r), "#dbe7f3")
    for x, base, h in ((40, 318, 70), (78, 324, 54), (290, 300, 64)):
        body += pine(x, base, h, "#4f8a72", "#43785f", snow="#f4f8fc")
    body += path(ridge(W, H, 390, 22, 0.9, r), "#ffffff", stroke=INK_SOFT, sw=1.5)
    body += path(ridge(W, H, 404, 14, 0.9, r), "#e4eef8")
    body += pine(230, 400, 90, "#3f7a62", "#356a54", snow="#ffffff")
    body += pine(272, 408, 70, "#4f8a72", "#43785f", snow="#ffffff")
    for _ in range(70):
        body += circle(r.uniform(0, W), r.uniform(0, H), r.uniform(1, 3), "#ffffff", extra=' opacity="0.85"')
    return defs, body


def rainbow_meadow(r):
    defs, body = sky("s", "#7cc4ee", "#e4f6ff")
    bands = ("#ef6f6c", "#f5a45d", "#f7d86a", "#7fcf7a", "#6aa8e8", "#9a7fd6")
    for i, c in enumerate(bands):
        rr = 230 - i * 12
        body += path(f"M{160 - rr} 380 A{rr} {rr} 0 0 1 {160 + rr} 380", "none", stroke=c, sw=12,
                     extra=' opacity="0.55"')
    body += cloud(40, 370, 90, r) + cloud(290, 360, 80, r)
    body += path(ridge(W, H, 380, 18, 1.0, r), "#8fd17a", stroke=INK_SOFT, sw=1.5)
    body += path(ridge(W, H, 420, 16, 1.4, r), "#6fbd5f", stroke=INK_SOFT, sw=1.5)
    for _ in range(26):
        x, y = r.uniform(8, W - 8), r.uniform(430, 472)
        c = r.choice(("#ffffff", "#ffd86b", "#f39ab5"))
        for a in range(5):
            ang = a * 2 * math.pi / 5
            body += circle(x + 2.6 * math.cos(ang), y + 2.6 * math.sin(ang), 2, c)
        body += circle(x, y, 1.5, "#f5a45d")
    return defs, body


def aurora(r):
    defs, body = sky("s", "#0d1f33", "#1d4a5a", "#123246")
    body += stars(r, 70, 330)
    for i, (c, y0, amp) in enumerate((("#c08cff", 80, 18), ("#5ef0a6", 130, 28), ("#7fd3ff", 200, 22))):
        gid = f"curtain{i}"
        defs += (f'<linearGradient id="{gid}" x1="0" y1="{y0 - amp}" x2="0" y2="{y0 + amp + 100}" '
                 f'gradientUnits="userSpaceOnUse"><stop offset="0" stop-color="{c}" stop-opacity="0.42"/>'
                 f'<stop offset="1" stop-color="{c}" stop-opacity="0"/></linearGradient>')
        top = [(-40 + k * 40, y0 + amp * math.sin(k * 0.8 + i * 1.7)) for k in range(11)]
        d = f"M{f(top[0][0])} {f(top[0][1])}"
        for (x0, y0_), (x1, y1) in zip(top, top[1:]):
            d += f" Q{f(x0)} {f(y0_)} {f((x0 + x1) / 2)} {f((y0_ + y1) / 2)}"
        edge = d
        d += f" L{f(top[-1][0])} {f(H)} L{f(top[0][0])} {f(H)} Z"
        body += path(d, f"url(#{gid})")
        # Vertical rays give the curtain its folds.
        for x in range(-36, W + 40, 9):
            yt = y0 + amp * math.sin((x + 40) / 40 * 0.8 + i * 1.7)
            body += path(f"M{x} {f(yt + 2)} L{x} {f(yt + 40 + 30 * math.sin(x * 0.37 + i))}", "none", stroke=c, sw=3,
                         extra=' stroke-opacity="0.16"')
        body += path(edge, "none", stroke=c, sw=2.5, extra=' stroke-opacity="0.6"')
    body += path(poly([(-10, 400), (60, 320), (100, 350), (170, 280), (250, 360), (290, 330), (340, 380),
                       (340, 490), (-10, 490)]), "#25485a", stroke=INK_SOFT, sw=1.5)
    body += path(poly([(170, 280), (188, 298), (176, 300), (165, 312), (156, 296)]), "#e8f4ff")
    body += path(poly([(60, 320), (74, 336), (62, 336), (52, 330)]), "#e8f4ff")
    body += path(ridge(W, H, 440, 10, 1.0, r), "#dbe9f2", stroke=INK_SOFT, sw=1.5)
    return defs, body


def tropical_beach(r):
    defs, body = sky("s", "#4fb8e8", "#c9f0ff")
    body += circle(250, 110, 28, "#fff2a8", stroke="#f0c75a", sw=2)
    body += cloud(80, 90, 100, r) + cloud(200, 200, 70, r)
    body += rect(0, 330, W, 150, "#2f9fc7")
    for y in (344, 362, 384, 410):
        body += path(f"M20 {y} h40 M120 {y + 6} h50 M230 {y - 4} h40", "none", stroke="#8fd8ef", sw=2,
                     extra=' opacity="0.7"')
    body += path(smooth_closed([(90, 470), (140, 426), (250, 420), (340, 440), (340, 490), (80, 490)]), "#f2d59a",
                 stroke=INK_SOFT, sw=1.5)
    # A palm leaning over the island.
    trunk = "M236 436 Q226 380 194 330 L204 326 Q238 378 248 434 Z"
    body += path(trunk, "#a77a4e", stroke=INK_SOFT, sw=1.5)
    cx, cy = 199, 328
    for ang, length in ((-170, 58), (-135, 54), (-95, 44), (-55, 54), (-15, 60), (25, 48), (160, 46)):
        a = math.radians(ang)
        tx, ty = cx + length * math.cos(a), cy + length * math.sin(a) + length * 0.35
        mx, my = (cx + tx) / 2, (cy + ty) / 2 - 10
        nx, ny = -math.sin(a) * 9, math.cos(a) * 9
        body += path(f"M{cx} {cy} Q{f(mx + nx)} {f(my + ny)} {f(tx)} {f(ty)} Q{f(mx - nx)} {f(my - ny)} {cx} {cy} Z",
                     "#4aa85e", stroke=INK_SOFT, sw=1.5)
        body += path(f"M{cx} {cy} Q{f(mx)} {f(my)} {f(tx)} {f(ty)}", "none", stroke="#3a8a4c", sw=1.2)
    body += circle(196, 334, 5, "#6b4a2e") + circle(204, 336, 5, "#6b4a2e")
    return defs, body


def blueprint(r):
    defs = vgrad("s", [(0, "#2d5da8"), (1, "#234b8c")])
    body = rect(0, 0, W, H, "url(#s)")
    for x in range(0, W + 1, 16):
        body += rect(x, 0, 1 if x % 64 else 1.6, H, "#ffffff", extra=' opacity="0.13"')
    for y in range(0, H + 1, 16):
        body += rect(0, y, W, 1 if y % 64 else 1.6, "#ffffff", extra=' opacity="0.13"')
    line = ' stroke-opacity="0.35"'
    # A gear, a compass arc and a dimensioned box drawn in chalk-white lines.
    gx, gy = 238, 120
    teeth = []
    for k in range(24):
        a = k * math.pi / 12
        rr = 44 if k % 2 == 0 else 36
        teeth.append((gx + rr * math.cos(a), gy + rr * math.sin(a)))
    body += path(poly(teeth), "none", stroke="#ffffff", sw=2, extra=line)
    body += circle(gx, gy, 12, "none", stroke="#ffffff", sw=2, extra=line)
    body += path("M40 380 A90 90 0 0 1 160 300", "none", stroke="#ffffff", sw=2, extra=line)
    body += path("M40 380 L160 300 M40 380 L190 380", "none", stroke="#ffffff", sw=1.5,
                 extra=line + ' stroke-dasharray="6 4"')
    body += rect(60, 150, 90, 60, "none", stroke="#ffffff", sw=2, extra=line)
    body += path("M60 226 L150 226 M60 220 L60 232 M150 220 L150 232", "none", stroke="#ffffff", sw=1.5, extra=line)
    body += path("M200 330 l40 -40 l40 40 l-40 40 z M200 330 h80 M240 290 v80", "none", stroke="#ffffff", sw=1.5,
                 extra=line)
    return defs, body


def sunburst(r):
    defs = rgrad("glow", 160, 240, 260, [(0, "#fff3d6", 1), (1, "#fff3d6", 0)])
    body = rect(0, 0, W, H, "#f7b58c")
    cx, cy = 160, 240
    for k in range(24):
        if k % 2:
            continue
        a0, a1 = k * math.pi / 12, (k + 1) * math.pi / 12
        pts = [(cx, cy), (cx + 600 * math.cos(a0), cy + 600 * math.sin(a0)), (cx + 600 * math.cos(a1), cy + 600 * math.sin(a1))]
        body += path(poly(pts), "#f9c79f")
    body += rect(0, 0, W, H, "url(#glow)", extra=' opacity="0.7"')
    for _ in range(18):
        x, y = r.uniform(10, W - 10), r.uniform(10, H - 10)
        body += circle(x, y, r.uniform(3, 6), "#ffffff", extra=' opacity="0.35"')
    return defs, body


SCENES = [space, underwater, day_sky, city_night, desert_sunset, forest, snowy_hills, rainbow_meadow, aurora,
          tropical_beach, blueprint, sunburst]


def main(src):
    for i, scene in enumerate(SCENES, start=1):
        defs, body = scene(rng(1000 + i))
        write(os.path.join(src, "backgrounds", f"Background{i}.svg"), svg(W, H, body, defs=defs))


if __name__ == "__main__":
    main(sys.argv[1])
