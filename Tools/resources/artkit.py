"""Shared palette and SVG helpers for the picture generators.

One cartoon look for every picture: flat fills, one dark ink outline, a lighter highlight
and a darker shade shape instead of gradients where possible.
"""
import math
import os
import random

INK = "#2b2140"          # the one outline colour
INK_SOFT = "#2b214066"   # outlines inside backgrounds, kept faint so the play field stays calm


def svg(width, height, body, sized=True, defs=""):
    size = f' width="{width}" height="{height}"' if sized else ""
    defs_block = f"<defs>{defs}</defs>\n" if defs else ""
    return (f'<svg xmlns="http://www.w3.org/2000/svg"{size} viewBox="0 0 {width} {height}">\n'
            f"{defs_block}{body}</svg>\n")


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    # Only rewrite on change, so unchanged sources keep their timestamps.
    try:
        with open(path, encoding="utf-8") as f:
            if f.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def rng(seed):
    # A generator of its own per picture, so adding one picture never reshuffles another.
    return random.Random(seed)


def f(x):
    """Short, stable number text (no float noise in the committed SVG)."""
    s = f"{x:.2f}".rstrip("0").rstrip(".")
    return "0" if s == "-0" else s


def circle(cx, cy, r, fill, stroke=None, sw=0, extra=""):
    st = f' stroke="{stroke}" stroke-width="{f(sw)}"' if stroke else ""
    return f'<circle cx="{f(cx)}" cy="{f(cy)}" r="{f(r)}" fill="{fill}"{st}{extra}/>\n'


def path(d, fill, stroke=None, sw=0, extra=""):
    st = f' stroke="{stroke}" stroke-width="{f(sw)}" stroke-linejoin="round" stroke-linecap="round"' if stroke else ""
    return f'<path d="{d}" fill="{fill}"{st}{extra}/>\n'


def rect(x, y, w, h, fill, rx=0, stroke=None, sw=0, extra=""):
    st = f' stroke="{stroke}" stroke-width="{f(sw)}"' if stroke else ""
    r = f' rx="{f(rx)}"' if rx else ""
    return f'<rect x="{f(x)}" y="{f(y)}" width="{f(w)}" height="{f(h)}"{r} fill="{fill}"{st}{extra}/>\n'


def poly(points):
    return "M" + " L".join(f"{f(x)} {f(y)}" for x, y in points) + " Z"


def smooth_closed(points):
    """Closed Catmull-Rom curve through the points, as cubic Bezier path data."""
    n = len(points)
    d = f"M{f(points[0][0])} {f(points[0][1])}"
    for i in range(n):
        p0, p1, p2, p3 = points[i - 1], points[i], points[(i + 1) % n], points[(i + 2) % n]
        c1 = (p1[0] + (p2[0] - p0[0]) / 6, p1[1] + (p2[1] - p0[1]) / 6)
        c2 = (p2[0] - (p3[0] - p1[0]) / 6, p2[1] - (p3[1] - p1[1]) / 6)
        d += f" C{f(c1[0])} {f(c1[1])} {f(c2[0])} {f(c2[1])} {f(p2[0])} {f(p2[1])}"
    return d + " Z"


def ridge(width, height, base, amp, bumps, r, step=20):
    """A hill line across the picture, closed down to the bottom edge."""
    phases = [r.uniform(0, 2 * math.pi) for _ in range(3)]
    pts = []
    x = -step
    while x <= width + step:
        y = base
        for k, ph in enumerate(phases):
            y -= amp / (k + 1) * math.sin(x / width * math.pi * bumps * (k + 1) + ph)
        pts.append((x, y))
        x += step
    d = f"M{f(pts[0][0])} {f(height + 10)} L{f(pts[0][0])} {f(pts[0][1])}"
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        mx, my = (x0 + x1) / 2, (y0 + y1) / 2
        d += f" Q{f(x0)} {f(y0)} {f(mx)} {f(my)}"
    d += f" L{f(pts[-1][0])} {f(pts[-1][1])} L{f(pts[-1][0])} {f(height + 10)} Z"
    return d


def cloud(cx, cy, w, r, fill="#ffffff", shade="#dfe9f5", stroke=INK_SOFT, sw=1.5):
    """A flat cartoon cloud: overlapping puffs on a flat base, shade along the bottom."""
    puffs = []
    n = max(3, int(w / 18))
    for i in range(n):
        t = i / (n - 1)
        px = cx - w / 2 + t * w
        pr = w / n * 0.9 * (1.25 - abs(t - 0.5)) + r.uniform(-2, 2)
        puffs.append((px, cy - pr * 0.45, pr))
    out = '<g>\n'
    # Outline pass first, fill pass on top, so inner puff edges vanish.
    for px, py, pr in puffs:
        out += circle(px, py, pr + sw, stroke)
    out += rect(cx - w / 2 - sw, cy - 2, w + 2 * sw, 0 + w / n * 0.55, stroke, rx=w / n * 0.27)
    for px, py, pr in puffs:
        out += circle(px, py, pr, shade)
    out += rect(cx - w / 2, cy - 2, w, w / n * 0.55 - sw, shade, rx=w / n * 0.27)
    for px, py, pr in puffs:
        out += circle(px, py - pr * 0.18, pr * 0.86, fill)
    return out + "</g>\n"


def ragdoll(x, y, s=1.0, rot=0, skin="#ffd9b3", shirt="#4f8fe0", pants="#3b3470"):
    """A small generic falling figure for adverts and the icon (not one of the game's figures)."""
    def limb(x0, y0, x1, y1, x2, y2, c):
        d = f"M{f(x0)} {f(y0)} L{f(x1)} {f(y1)} L{f(x2)} {f(y2)}"
        return (path(d, "none", stroke=INK, sw=11) + path(d, "none", stroke=c, sw=6.5))
    out = f'<g transform="translate({f(x)} {f(y)}) rotate({f(rot)}) scale({f(s)})">\n'
    out += limb(-8, -6, -24, -20, -30, -38, skin)       # arms flung up
    out += limb(8, -6, 26, -14, 38, -28, skin)
    out += limb(-5, 20, -16, 36, -12, 54, pants)        # legs
    out += limb(5, 20, 20, 32, 34, 44, pants)
    out += rect(-11, -12, 22, 36, shirt, rx=8, stroke=INK, sw=2.5)
    out += path("M-6 -6 V14", "none", stroke="#ffffff", sw=3, extra=' stroke-opacity="0.35"')
    out += circle(0, -24, 13, skin, stroke=INK, sw=2.5)
    out += circle(-4.5, -26, 2, INK) + circle(4.5, -26, 2, INK)
    out += path("M-4 -18 Q0 -14 4 -18", "none", stroke=INK, sw=2)
    return out + "</g>\n"
