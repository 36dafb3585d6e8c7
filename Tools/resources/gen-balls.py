#!/usr/bin/env python3
"""Writes the twelve ball pictures, Ball1.svg to Ball12.svg (160 x 160).

The game scales a ball picture so that its width is the ball's diameter, so every ball fills its
square edge to edge; the ink outline lies inside the circle.
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
from artkit import INK, circle, f, path, poly, rect, rng, smooth_closed, svg, write  # noqa: E402

S = 160
C = S / 2
OUT = 5                 # outline width
R = C - OUT / 2         # the outline's centre line touches the picture's edge


def frame(base, details, shade=0.2, highlight=0.55):
    defs = f'<clipPath id="ball"><circle cx="{C}" cy="{C}" r="{R}"/></clipPath>'
    body = circle(C, C, R, base)
    body += '<g clip-path="url(#ball)">\n' + details
    # Light comes from the upper left: a shaded crescent low on the right, a gloss spot high on the left.
    body += (f'<path d="M{C - R} {C} a{R} {R} 0 1 0 {2 * R} 0 a{R} {R} 0 1 0 {-2 * R} 0 Z '
             f'M{C - 14 - R * 1.05} {C - 14} a{R * 1.05} {R * 1.05} 0 1 0 {2 * R * 1.05} 0 '
             f'a{R * 1.05} {R * 1.05} 0 1 0 {-2 * R * 1.05} 0 Z" fill="#1a1030" fill-opacity="{f(shade)}" '
             f'fill-rule="evenodd"/>\n')
    body += "</g>\n"
    body += (f'<ellipse cx="50" cy="46" rx="22" ry="13" fill="#ffffff" fill-opacity="{f(highlight)}" '
             f'transform="rotate(-38 50 46)"/>\n')
    body += circle(34, 66, 4.5, "#ffffff", extra=f' fill-opacity="{f(highlight)}"')
    body += circle(C, C, R, "none", stroke=INK, sw=OUT)
    return defs, body


def wedge(a0, a1, rr=R + 4, bend=0.18):
    p0 = (C + rr * math.cos(a0), C + rr * math.sin(a0))
    p1 = (C + rr * math.cos(a1), C + rr * math.sin(a1))
    m0 = (C + rr * 0.5 * math.cos(a0 - bend), C + rr * 0.5 * math.sin(a0 - bend))
    m1 = (C + rr * 0.5 * math.cos(a1 - bend), C + rr * 0.5 * math.sin(a1 - bend))
    return (f"M{C} {C} Q{f(m0[0])} {f(m0[1])} {f(p0[0])} {f(p0[1])} A{f(rr)} {f(rr)} 0 0 1 {f(p1[0])} {f(p1[1])} "
            f"Q{f(m1[0])} {f(m1[1])} {C} {C} Z")


def beach(r):
    cols = ("#e8483f", "#ffffff", "#2f7fd8", "#ffd23f", "#ffffff", "#3fbf6a")
    d = ""
    for i, c in enumerate(cols):
        a0 = -math.pi / 2 + i * math.pi / 3 + 0.3
        d += path(wedge(a0, a0 + math.pi / 3), c, stroke=INK, sw=2.5)
    d += circle(C, C, 14, "#ffffff", stroke=INK, sw=3)
    return frame("#ffffff", d)


def bowling(r):
    d = ""
    for k in range(5):
        pts = [(r.uniform(-10, 170), r.uniform(-10, 170)) for _ in range(5)]
        d += path(smooth_closed(pts), "#5a3fa8", extra=' fill-opacity="0.35"')
    for x, y in ((96, 52), (118, 60), (104, 82)):
        d += circle(x, y, 9, "#140c26", stroke="#0a0614", sw=2)
        d += path(f"M{x - 7} {y - 3} a8 8 0 0 1 14 0", "none", stroke="#6d5aa8", sw=2)
    return frame("#2e2168", d, shade=0.3, highlight=0.45)


def planet(r):
    d = ""
    lands = (((40, 40), (78, 26), (92, 56), (70, 80), (44, 76), (28, 58)),
             ((92, 92), (126, 86), (140, 112), (118, 140), (96, 128)),
             ((18, 106), (40, 100), (52, 122), (30, 134)))
    for pts in lands:
        d += path(smooth_closed(pts), "#57b85a", stroke=INK, sw=2.5)
        cx = sum(p[0] for p in pts) / len(pts)
        cy = sum(p[1] for p in pts) / len(pts)
        d += circle(cx - 4, cy + 2, 6, "#3f9a4a")
    for x, y, w in ((60, 104, 40), (110, 40, 34), (130, 70, 22)):
        d += rect(x - w / 2, y - 5, w, 10, "#ffffff", rx=5, extra=' fill-opacity="0.85"')
    return frame("#3a8fe0", d)


def eight(r):
    d = circle(C, C - 4, 36, "#fbfbf4", stroke=INK, sw=3)
    d += circle(C, C - 17, 10, "none", stroke=INK, sw=6.5)
    d += circle(C, C + 8, 13, "none", stroke=INK, sw=6.5)
    return frame("#1f1b2a", d, shade=0.35, highlight=0.5)


def soccer(r):
    def pent(cx, cy, rr, rot):
        return poly([(cx + rr * math.cos(rot + k * 2 * math.pi / 5), cy + rr * math.sin(rot + k * 2 * math.pi / 5))
                     for k in range(5)])
    d = ""
    top = -math.pi / 2
    for k in range(5):
        a = top + math.pi / 5 + k * 2 * math.pi / 5
        # Seams from the centre pentagon's corners out to the ring of outer pentagons.
        ca = top + k * 2 * math.pi / 5
        x0, y0 = C + 22 * math.cos(ca), C + 22 * math.sin(ca)
        x1, y1 = C + 50 * math.cos(ca), C + 50 * math.sin(ca)
        d += path(f"M{f(x0)} {f(y0)} L{f(x1)} {f(y1)}", "none", stroke=INK, sw=3)
        d += path(pent(C + 76 * math.cos(a), C + 76 * math.sin(a), 24, a + math.pi), "#26213a", stroke=INK, sw=3)
        x2, y2 = C + 50 * math.cos(ca), C + 50 * math.sin(ca)
        for s in (-1, 1):
            b = ca + s * math.pi / 5
            d += path(f"M{f(x2)} {f(y2)} L{f(C + 60 * math.cos(b))} {f(C + 60 * math.sin(b))}", "none", stroke=INK, sw=3)
    d += path(pent(C, C, 23, top), "#26213a", stroke=INK, sw=3)
    return frame("#fbfbf4", d)


def tennis(r):
    d = ""
    for _ in range(90):
        x, y = r.uniform(0, S), r.uniform(0, S)
        d += circle(x, y, r.uniform(1, 2), "#b8d03a", extra=' fill-opacity="0.6"')
    d += path("M6 28 C62 56 62 104 6 132", "none", stroke="#fbfbe8", sw=7)
    d += path("M154 28 C98 56 98 104 154 132", "none", stroke="#fbfbe8", sw=7)
    return frame("#d4e94a", d)


def moon(r):
    d = ""
    for x, y, rr in ((58, 58, 16), (108, 48, 9), (100, 104, 20), (50, 116, 10), (128, 86, 7), (76, 88, 6)):
        d += circle(x, y, rr, "#a6a3b8", stroke="#6e6a86", sw=2)
        d += path(f"M{x - rr * 0.7} {y + rr * 0.45} a{rr} {rr} 0 0 0 {rr * 1.4} 0", "none", stroke="#d9d6e6", sw=2)
    return frame("#c7c4d6", d)


def marble(r):
    d = path("M10 110 C40 60 80 140 120 80 C140 50 150 60 170 40 L170 70 C150 90 140 80 124 104 C90 156 50 90 16 134 Z",
             "#f2705e", extra=' fill-opacity="0.85"')
    d += path("M0 70 C30 40 70 90 100 50 C115 30 130 30 150 20 L154 32 C134 44 120 44 106 64 C76 104 36 60 4 88 Z",
              "#ffd34f", extra=' fill-opacity="0.8"')
    d += circle(C, C, R - 10, "none", stroke="#ffffff", sw=6, extra=' stroke-opacity="0.25"')
    return frame("#9fd6ef", d, shade=0.18, highlight=0.8)


def basket(r):
    d = path(f"M{C} -4 L{C} 164 M-4 {C} L164 {C}", "none", stroke=INK, sw=4)
    d += path("M30 8 C62 50 62 110 30 152 M130 8 C98 50 98 110 130 152", "none", stroke=INK, sw=4)
    return frame("#f08a3c", d)


def baseball(r):
    d = ""
    for side in (-1, 1):
        x0 = C + side * 62
        xs = C + side * 26
        d += path(f"M{x0} 20 Q{xs} {C} {x0} 140", "none", stroke="#d8443b", sw=3)
        for k in range(9):
            t = (k + 0.5) / 9
            y = (1 - t) ** 2 * 20 + 2 * (1 - t) * t * C + t * t * 140
            x = (1 - t) ** 2 * x0 + 2 * (1 - t) * t * xs + t * t * x0
            d += path(f"M{f(x - 5)} {f(y - 3)} L{f(x + 5)} {f(y + 3)}", "none", stroke="#d8443b", sw=2.5)
    return frame("#fbf7ee", d)


def eyeball(r):
    d = ""
    for k in range(7):
        a = k * 2 * math.pi / 7 + 0.3
        x0, y0 = C + 80 * math.cos(a), C + 80 * math.sin(a)
        x1, y1 = C + 48 * math.cos(a + 0.2), C + 48 * math.sin(a + 0.2)
        d += path(f"M{f(x0)} {f(y0)} Q{f((x0 + x1) / 2 + 8)} {f((y0 + y1) / 2)} {f(x1)} {f(y1)}", "none",
                  stroke="#e46a6a", sw=2)
    d += circle(C + 6, C + 4, 36, "#3fa6d8", stroke=INK, sw=3)
    d += circle(C + 6, C + 4, 26, "#2e86c0")
    d += circle(C + 6, C + 4, 16, "#1a1030")
    return frame("#fbf7f2", d)


def disco(r):
    d = ""
    for row in range(-1, 12):
        y = row * 14
        for col in range(-1, 13):
            x = col * 14 + (7 if row % 2 else 0)
            shade = r.choice(("#b9bccb", "#cfd2de", "#9ea2b6", "#e9ebf2", "#8c90a8"))
            d += rect(x + 1, y + 1, 12, 12, shade, rx=1.5)
    for x, y in ((44, 40), (100, 30), (64, 110)):
        d += path(f"M{x} {y - 8} L{x + 2} {y - 2} L{x + 8} {y} L{x + 2} {y + 2} L{x} {y + 8} L{x - 2} {y + 2} "
                  f"L{x - 8} {y} L{x - 2} {y - 2} Z", "#ffffff")
    return frame("#6e7290", d, shade=0.28, highlight=0.6)


BALLS = [beach, bowling, planet, eight, soccer, tennis, moon, marble, basket, baseball, eyeball, disco]


def main(src):
    for i, ball in enumerate(BALLS, start=1):
        defs, body = ball(rng(2000 + i))
        write(os.path.join(src, "balls", f"Ball{i}.svg"), svg(S, S, body, defs=defs))


if __name__ == "__main__":
    main(sys.argv[1])
