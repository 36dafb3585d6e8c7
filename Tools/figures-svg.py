#!/usr/bin/env python3
"""Writes the SVG sources of every figure picture into Resources/Source/figures/.

Body parts are drawn in their body's own frame: y up, origin at the picture's lower-left corner
(the body origin), so the joint anchors of the ragdoll classes can be used as they stand. Each
picture is wrapped in one flip to SVG's y-down space when it is written.

Usage: Tools/figures-svg.py [--preview DIR]
  --preview DIR  also writes each figure assembled at rest (and posed) as DIR/<Figure>.svg/.png
"""
import math
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "Resources", "Source", "figures")

INK = "#2b2140"   # shared with the other pictures of the game
SW = 1.5          # outline width in points
THIN = 0.9        # inner lines (folds, seams, laces)


def f(x):
    s = f"{x:.2f}".rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def pt(p):
    return f"{f(p[0])} {f(p[1])}"


# ---------------------------------------------------------------- path builders (y up)

def circle_d(cx, cy, r):
    return (f"M{f(cx - r)} {f(cy)} A{f(r)} {f(r)} 0 1 0 {f(cx + r)} {f(cy)} "
            f"A{f(r)} {f(r)} 0 1 0 {f(cx - r)} {f(cy)} Z")


def ellipse_d(cx, cy, rx, ry):
    return (f"M{f(cx - rx)} {f(cy)} A{f(rx)} {f(ry)} 0 1 0 {f(cx + rx)} {f(cy)} "
            f"A{f(rx)} {f(ry)} 0 1 0 {f(cx - rx)} {f(cy)} Z")


def rrect_d(x, y, w, h, r):
    r = min(r, w / 2, h / 2)
    return (f"M{f(x + r)} {f(y)} H{f(x + w - r)} A{f(r)} {f(r)} 0 0 1 {f(x + w)} {f(y + r)} "
            f"V{f(y + h - r)} A{f(r)} {f(r)} 0 0 1 {f(x + w - r)} {f(y + h)} H{f(x + r)} "
            f"A{f(r)} {f(r)} 0 0 1 {f(x)} {f(y + h - r)} V{f(y + r)} A{f(r)} {f(r)} 0 0 1 {f(x + r)} {f(y)} Z")


def capsule_d(x0, y0, r0, x1, y1, r1):
    """Two circles joined by their outer tangents: the shape of a limb with rounded ends."""
    dx, dy = x1 - x0, y1 - y0
    d = math.hypot(dx, dy)
    phi = math.atan2(dy, dx)
    a = math.acos(max(-1.0, min(1.0, (r0 - r1) / d)))
    p0a = (x0 + r0 * math.cos(phi + a), y0 + r0 * math.sin(phi + a))
    p1a = (x1 + r1 * math.cos(phi + a), y1 + r1 * math.sin(phi + a))
    p1b = (x1 + r1 * math.cos(phi - a), y1 + r1 * math.sin(phi - a))
    p0b = (x0 + r0 * math.cos(phi - a), y0 + r0 * math.sin(phi - a))
    large1 = 1 if 2 * a > math.pi else 0
    large0 = 1 if 2 * math.pi - 2 * a > math.pi else 0
    return (f"M{pt(p0a)} L{pt(p1a)} A{f(r1)} {f(r1)} 0 {large1} 0 {pt(p1b)} "
            f"L{pt(p0b)} A{f(r0)} {f(r0)} 0 {large0} 0 {pt(p0a)} Z")


def poly_d(points, closed=True):
    return "M" + " L".join(pt(p) for p in points) + (" Z" if closed else "")


def smooth_d(points, closed=True, tension=1.0):
    """Catmull-Rom curve through the points as cubic Beziers."""
    n = len(points)
    k = tension / 6
    d = f"M{pt(points[0])}"
    last = n if closed else n - 1
    for i in range(last):
        p0 = points[i - 1] if (closed or i > 0) else points[0]
        p1 = points[i]
        p2 = points[(i + 1) % n]
        p3 = points[(i + 2) % n] if (closed or i + 2 < n) else points[-1]
        c1 = (p1[0] + (p2[0] - p0[0]) * k, p1[1] + (p2[1] - p0[1]) * k)
        c2 = (p2[0] - (p3[0] - p1[0]) * k, p2[1] - (p3[1] - p1[1]) * k)
        d += f" C{pt(c1)} {pt(c2)} {pt(p2)}"
    return d + (" Z" if closed else "")


def open_top_d(sides, top):
    """A shape whose outline is the open curve through the sides, closed straight above `top`:
    for parts drawn over their neighbour, whose joining edge must not show a line."""
    d = smooth_d(sides, closed=False)
    return d + f" L{f(sides[-1][0])} {f(top)} L{f(sides[0][0])} {f(top)} Z"


def lerp(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)


# ---------------------------------------------------------------- a picture

class Pic:
    """One picture: defs and body in y-up points; written with one flip to SVG space."""

    def __init__(self, name, w, h, folder, center=False):
        self.name, self.w, self.h, self.folder = name, w, h, folder
        self.center = center      # placed by its centre (circle parts) instead of its corner
        self.kind = "picture"     # what the resource test checks beyond the size
        self.defs, self.body = [], []
        self._n = 0

    def uid(self):
        self._n += 1
        return f"{self.name}-{self._n}"

    def add(self, s):
        self.body.append(s)

    # Elements -------------------------------------------------------
    def fill(self, d, color, opacity=None):
        op = f' fill-opacity="{f(opacity)}"' if opacity is not None else ""
        self.add(f'<path d="{d}" fill="{color}"{op}/>')

    def line(self, d, w=THIN, color=INK, opacity=None, cap="round"):
        op = f' stroke-opacity="{f(opacity)}"' if opacity is not None else ""
        self.add(f'<path d="{d}" fill="none" stroke="{color}" stroke-width="{f(w)}" '
                 f'stroke-linecap="{cap}" stroke-linejoin="round"{op}/>')

    def outline(self, d, w=SW):
        self.line(d, w)

    def shape(self, d, color, shade=None, off=1.7, stroke=SW):
        """A filled shape with a shade crescent along its lower-right side and an ink outline."""
        if shade:
            self.toon(d, color, shade, off)
        else:
            self.fill(d, color)
        if stroke:
            self.outline(d, stroke)

    def toon(self, d, color, shade, off=1.7):
        cid = self.clip_id(d)
        self.fill(d, shade)
        self.add(f'<g clip-path="url(#{cid})"><path d="{d}" fill="{color}" '
                 f'transform="translate({f(-off)} {f(off)})"/></g>')

    def clip_id(self, d):
        cid = self.uid()
        self.defs.append(f'<clipPath id="{cid}"><path d="{d}"/></clipPath>')
        return cid

    def begin_clip(self, d):
        self.add(f'<g clip-path="url(#{self.clip_id(d)})">')

    def end(self):
        self.add("</g>")

    # Output ---------------------------------------------------------
    def inner(self):
        return "\n".join(self.body)

    def svg(self):
        defs = "<defs>\n" + "\n".join(self.defs) + "\n</defs>\n" if self.defs else ""
        return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{self.w}" height="{self.h}" '
                f'viewBox="0 0 {self.w} {self.h}">\n{defs}'
                f'<g transform="translate(0 {self.h}) scale(1 -1)">\n{self.inner()}\n</g>\n</svg>\n')


class Flat:
    """A picture drawn directly in SVG's y-down space (thumbnails, mattes, masks, help)."""

    def __init__(self, name, w, h, folder, kind="picture"):
        self.name, self.w, self.h, self.folder, self.kind = name, w, h, folder, kind
        self.defs, self.body = [], []

    def add(self, s):
        self.body.append(s)

    def svg(self):
        defs = "<defs>\n" + "\n".join(self.defs) + "\n</defs>\n" if self.defs else ""
        return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{self.w}" height="{self.h}" '
                f'viewBox="0 0 {self.w} {self.h}">\n{defs}' + "\n".join(self.body) + "\n</svg>\n")


PICTURES = {}


def new_pic(name, w, h, folder, center=False):
    p = Pic(name, w, h, folder, center)
    assert name not in PICTURES, name
    PICTURES[name] = p
    return p


def new_flat(name, w, h, folder, kind="picture"):
    p = Flat(name, w, h, folder, kind)
    assert name not in PICTURES, name
    PICTURES[name] = p
    return p


# ---------------------------------------------------------------- assembling a figure

class Body:
    def __init__(self, pic, x, y, angle=0.0):
        self.pic, self.x, self.y, self.angle = pic, x, y, angle


class Figure:
    """Bodies at their rest positions (figure frame, y up) and the order their sprites are drawn."""

    def __init__(self, name):
        self.name = name
        self.bodies = {}
        self.order = []

    def body(self, key, pic, x, y):
        self.bodies[key] = Body(pic, x, y)

    def rotate(self, keys, pivot, degrees):
        """Turns a chain of parts about a world point, as a joint would."""
        a = math.radians(degrees)
        c, s = math.cos(a), math.sin(a)
        for k in keys:
            b = self.bodies[k]
            dx, dy = b.x - pivot[0], b.y - pivot[1]
            b.x, b.y = pivot[0] + c * dx - s * dy, pivot[1] + s * dx + c * dy
            b.angle += degrees

    def world(self, key, local):
        b = self.bodies[key]
        a = math.radians(b.angle)
        return (b.x + math.cos(a) * local[0] - math.sin(a) * local[1],
                b.y + math.sin(a) * local[0] + math.cos(a) * local[1])

    def defs(self, keys=None):
        seen, out = set(), []
        for k in keys or self.order:
            p = self.bodies[k].pic
            if p.name not in seen:
                seen.add(p.name)
                out.extend(p.defs)
                out.append(f'<clipPath id="box-{p.name}"><rect width="{p.w}" height="{p.h}"/></clipPath>')
        return out

    def group(self, keys=None):
        """The drawn figure in y-up figure coordinates."""
        out = []
        for k in keys or self.order:
            b = self.bodies[k]
            p = b.pic
            shift = f" translate({f(-p.w / 2)} {f(-p.h / 2)})" if p.center else ""
            # A sprite shows only its own rectangle.
            out.append(f'<g transform="translate({f(b.x)} {f(b.y)}) rotate({f(b.angle)}){shift}">'
                       f'<g clip-path="url(#box-{p.name})">\n{p.inner()}\n</g></g>')
        return "\n".join(out)


def copy_figure(fig):
    c = Figure(fig.name)
    c.order = list(fig.order)
    for k, b in fig.bodies.items():
        c.bodies[k] = Body(b.pic, b.x, b.y, b.angle)
    return c


FIGURES = {}


# ---------------------------------------------------------------- palette

SKIN, SKIN_SH = "#f7c9a1", "#e2a47c"
WHITE, WHITE_SH = "#ffffff", "#d9dbe8"
GLASS = "#e8f4ff"


# ================================================================ Nerd

def nerd():
    F = "nerd"
    SHIRT, SHIRT_SH = "#d6e8f8", "#a6c4e2"
    TIE, TIE_SH = "#d9403e", "#a82f35"
    PANTS, PANTS_SH = "#b89c63", "#967b47"
    BELT = "#5b3a29"
    SHOE, SHOE_SH = "#70462f", "#4f3021"
    HAIR, HAIR_SH = "#4b3427", "#362419"

    # Head: a circle of radius 15.5 seen three-quarters to the left.
    p = new_pic("Nerd_Head", 31, 31, F, center=True)
    p.kind = "round"
    head = circle_d(15.5, 15.5, 14.75)
    p.shape(head, SKIN, SKIN_SH, off=2.2, stroke=0)
    p.begin_clip(head)
    hair = smooth_d([(2.5, 19.5), (6, 23.2), (11, 23.6), (15.5, 22.2), (19.5, 19.8), (21.5, 17.5),
                     (23.2, 19), (25, 15.5), (25.6, 10.5), (27.5, 6), (33, 8), (34, 32), (0, 32)])
    p.toon(hair, HAIR, HAIR_SH, off=1.4)
    p.line(smooth_d([(9, 29.5), (12.5, 24.5), (15.5, 22.4)], closed=False), 0.8, HAIR_SH)  # side parting
    p.end()
    ear = ellipse_d(23.2, 13.2, 2.4, 3.3)
    p.shape(ear, SKIN, SKIN_SH, off=0.8, stroke=1.1)
    p.line(smooth_d([(22.6, 15), (23.6, 13.4), (22.7, 11.6)], closed=False), 0.7)
    # Glasses: thick frames, the nearer lens larger.
    for cx, rx in ((8.6, 3.9), (17.2, 4.6)):
        lens = rrect_d(cx - rx, 12.6, 2 * rx, 7.0, 2.6)
        p.fill(lens, GLASS)
        p.line(lens, 1.3)
    p.line("M12.5 16.8 Q12.9 17.8 12.6 16.8", 1.2)
    p.line("M21.8 17.2 L24.4 16.3", 1.1)
    for cx in (9.2, 17.6):
        p.fill(circle_d(cx, 15.7, 1.15), INK)
        p.fill(circle_d(cx + 0.45, 16.2, 0.38), WHITE)
    p.line("M5.7 19.2 Q7.9 20.4 10.8 19.9", 0.9)
    p.line("M15 20.4 Q17.6 21.3 20.6 20.3", 0.9)
    # Nose pointing left, buck-toothed smile.
    p.line(smooth_d([(11.7, 12.6), (10.1, 10.5), (11.9, 9.7)], closed=False), 1.0)
    mouth = "M6.8 7.6 Q10.5 4.6 14.6 7.3"
    p.fill(mouth + " Q10.6 6.2 6.8 7.6 Z", "#9b3a3a")
    p.fill(rrect_d(9.2, 5.4, 2.6, 1.7, 0.4), WHITE)
    p.line(mouth, 1.0)
    p.fill(ellipse_d(5.6, 10.2, 1.7, 1.0), "#f29a8a", opacity=0.6)
    p.outline(head)

    # Chest 36 x 45: the head (centre 8.5, 44.5 here) lies under it, so the top-left stays clear.
    p = new_pic("Nerd_Chest", 36, 45, F)
    torso = smooth_d([(1.4, -1), (1.2, 12), (2.2, 23), (4.6, 28.6), (9.5, 31.6), (15, 35.5),
                      (20.5, 39.8), (26.5, 41.6), (31.8, 39.6), (34.6, 34), (35, 20), (34.6, -1)])
    p.shape(torso, SHIRT, SHIRT_SH, off=2.4, stroke=0)
    p.begin_clip(torso)
    p.line("M30 39 Q28.5 30 29.8 22", THIN, SHIRT_SH)            # sleeve seam
    # Pocket protector with pens.
    p.fill(rrect_d(21.2, 13.2, 7.6, 8.2, 1.2), WHITE)
    for i, c in enumerate(("#3c6fd1", "#d9403e", INK)):
        p.fill(rrect_d(22.1 + i * 2.2, 20.4, 1.5, 4.2, 0.6), c)
    p.line(rrect_d(21.2, 13.2, 7.6, 8.2, 1.2), 0.8)
    # Collar and tie.
    p.fill("M9.5 31.6 L13.6 27.4 L16.2 31.8 Z M16.2 31.8 L18.6 28.2 L22.6 37.8 Z", WHITE)
    p.line("M9.5 31.6 L13.6 27.4 L16.2 31.8 L18.6 28.2 L22.6 37.8", 0.9)
    tie = poly_d([(13.9, 27.6), (15.4, 24.8), (12.3, 0), (19.6, 0), (16.6, 24.8), (18.1, 27.8)])
    p.shape(tie, TIE, TIE_SH, off=0.9, stroke=1.1)
    p.shape(poly_d([(13.7, 29.2), (18.3, 29.4), (17.3, 26.4), (14.6, 26.3)]), TIE, TIE_SH, off=0.6, stroke=1.1)
    p.end()
    p.outline(smooth_d([(1.4, -1), (1.2, 12), (2.2, 23), (4.6, 28.6), (9.5, 31.6), (15, 35.5),
                        (20.5, 39.8), (26.5, 41.6), (31.8, 39.6), (34.6, 34), (35, 20), (34.6, -1)],
                       closed=False))

    # Stomach 38 x 39: over the chest's lower 15 points, so its top edge has no outline.
    p = new_pic("Nerd_Stomach", 38, 39, F)
    # The sides run on the chest's outline where they overlap it, then the paunch bulges below it.
    sides = [(4.4, 39), (4.4, 36), (4.1, 28), (2.4, 19), (1.7, 10), (2.8, 1), (35.4, 1), (37.3, 10),
             (37.7, 20), (37.7, 36), (37.7, 39)]
    belly = open_top_d(sides, 41)
    p.shape(belly, SHIRT, SHIRT_SH, off=2.4, stroke=0)
    p.begin_clip(belly)
    pants = "M-1 -1 L40 -1 L40 11.8 Q20 12.8 -1 11.8 Z"
    p.toon(pants, PANTS, PANTS_SH, off=2.2)
    p.fill("M-1 11.4 Q20 12.4 40 11.4 L40 16.2 Q20 17.2 -1 16.2 Z", BELT)
    p.line("M-1 11.6 Q20 12.6 40 11.6 M-1 16.2 Q20 17.2 40 16.2", 0.9)
    p.fill(rrect_d(4.4, 11.1, 6, 6, 1.2), "#e9c24a")
    p.line(rrect_d(4.4, 11.1, 6, 6, 1.2), 0.9)
    p.fill(rrect_d(6, 12.6, 2.8, 3, 0.6), BELT)
    p.line("M18.5 17.2 Q19.4 23 18.8 39", THIN, SHIRT_SH)         # shirt placket
    p.line("M6.5 0 Q8 4.5 7.5 11.2", THIN, PANTS_SH)             # fly seam
    # The tie's end, continuing the chest's tie (tip 27.5 points up).
    tie = poly_d([(15.3, 41), (14.3, 31), (17.8, 27.5), (21.3, 31), (22.6, 41)])
    p.shape(tie, TIE, TIE_SH, off=0.9, stroke=1.1)
    p.end()
    p.outline(smooth_d(sides, closed=False))
    p.outline("M2.6 1 L35.4 1")

    # Bicep 20 x 39: shoulder at the bottom (10, 6), elbow at the top (10, 34); short sleeve.
    p = new_pic("Nerd_Bicep", 20, 39, F)
    arm = capsule_d(10, 12, 6.6, 10, 31.5, 6.3)
    p.shape(arm, SKIN, SKIN_SH, off=1.6)
    sleeve = smooth_d([(1, 9.5), (2.6, 2.2), (10, 0.9), (17.4, 2.2), (19, 9.5), (18.2, 19.8), (10, 21), (1.8, 19.8)])
    p.shape(sleeve, SHIRT, SHIRT_SH, off=1.8)
    p.line("M3.2 17.4 Q10 18.7 16.8 17.4", THIN, SHIRT_SH)

    # Forearm 18 x 61: elbow at the bottom (9, 4), open hand at the top; calculator watch.
    p = new_pic("Nerd_Forearm", 18, 61, F)
    fore = capsule_d(9, 7.2, 6.4, 9, 44, 5.0)
    p.shape(fore, SKIN, SKIN_SH, off=1.5)
    hand = smooth_d([(3.8, 44), (1.2, 49.5), (2.2, 53.5), (4.2, 52.2), (4.6, 58.4), (7.6, 60.1),
                     (10.6, 59.8), (13.6, 58.6), (16.4, 54.5), (15.6, 46.4), (13.6, 42.8), (8.6, 41.6)])
    p.shape(hand, SKIN, SKIN_SH, off=1.4)
    p.line("M7.9 59.6 L8.2 54.6 M10.9 59.6 L10.9 54.4 M13.7 58.3 L13.3 54", 0.7)
    p.shape(rrect_d(2.5, 35.4, 13, 5.6, 1.4), "#3b3f4a")
    p.fill(rrect_d(5, 36.4, 8, 3.6, 0.8), "#b8d88a")
    p.line("M6.4 38.2 H11.6", 0.6)

    # Thigh 31 x 53: hip at the top (15.5, 50), knee at the bottom (17, 7).
    p = new_pic("Nerd_Thigh", 31, 53, F)
    leg = capsule_d(15.5, 39, 13.2, 16.8, 10.4, 9.4)
    p.shape(leg, PANTS, PANTS_SH, off=2.2)
    p.line("M18.5 30 Q18.6 22 17.8 13", THIN, PANTS_SH)

    # Calf 23 x 44: knee at the top (13, 37), ankle at the bottom (11.5, 3); high-water trousers.
    p = new_pic("Nerd_Calf", 23, 44, F)
    leg = capsule_d(12.5, 33.6, 9.6, 11.6, 9, 8.4)
    p.shape(leg, WHITE, WHITE_SH, off=1.6, stroke=0)
    p.begin_clip(leg)
    p.fill("M-1 7.8 H24 V9.6 H-1 Z", "#3c6fd1")
    p.toon("M-1 45 L-1 12.6 Q11.5 11 24 12.6 L24 45 Z", PANTS, PANTS_SH, off=1.8)
    p.line("M-1 12.6 Q11.5 11 24 12.6", 1.1)
    p.end()
    p.outline(leg)

    # Foot 31 x 18: an L of sole (0..31 x 0..10) and instep (12..31 x 11..18); toe to the left.
    p = new_pic("Nerd_Foot", 31, 18, F)
    shoe = smooth_d([(1, 3), (1.8, 7.2), (5.6, 8.8), (10.6, 8.8), (13.2, 9.2), (13.8, 11.6), (14.2, 15.6),
                     (17.6, 17.2), (25.6, 17.2), (30.2, 15.2), (30.2, 2.4), (28, 0.8), (3, 0.8)])
    p.shape(shoe, SHOE, SHOE_SH, off=1.5, stroke=0)
    p.begin_clip(shoe)
    p.fill("M-1 -1 H32 V3.3 H-1 Z", "#3a2419")
    p.end()
    p.line("M15 11.8 L18.8 14.2 M16 9.6 L20 12.4 M15.2 14.8 L17.4 15.8", 0.8, "#f2e6d0")
    p.fill(ellipse_d(6.4, 6.6, 2.4, 1.2), "#a27156")
    p.outline(shoe)

    fig = Figure("Nerd")
    P = PICTURES
    fig.body("chest", P["Nerd_Chest"], 7, 111)
    fig.body("stomach", P["Nerd_Stomach"], 4, 87)
    fig.body("head", P["Nerd_Head"], 15.5, 155.5)
    fig.body("bicep1", P["Nerd_Bicep"], 20, 133)
    fig.body("bicep2", P["Nerd_Bicep"], 24, 133)
    fig.body("forearm1", P["Nerd_Forearm"], 21, 160)
    fig.body("forearm2", P["Nerd_Forearm"], 25, 160)
    fig.body("thigh1", P["Nerd_Thigh"], 8, 45)
    fig.body("thigh2", P["Nerd_Thigh"], 12, 45)
    fig.body("calf1", P["Nerd_Calf"], 15, 12)
    fig.body("calf2", P["Nerd_Calf"], 15, 12)
    fig.body("foot1", P["Nerd_Foot"], 6, 0)
    fig.body("foot2", P["Nerd_Foot"], 6, 0)
    fig.order = ["bicep1", "forearm1", "thigh1", "calf1", "foot1", "head", "chest", "stomach",
                 "thigh2", "calf2", "foot2", "bicep2", "forearm2"]
    fig.joints = {  # world pivot of each joint at rest, for posing
        "shoulder1": fig.world("chest", (23, 29)), "shoulder2": fig.world("chest", (27, 29)),
        "elbow1": fig.world("bicep1", (10, 34)), "elbow2": fig.world("bicep2", (10, 34)),
        "hip1": fig.world("stomach", (19.5, 6)), "hip2": fig.world("stomach", (23.5, 6)),
        "knee1": fig.world("thigh1", (17, 7)), "knee2": fig.world("thigh2", (17, 7)),
    }
    FIGURES["Nerd"] = fig



# ================================================================ BabeBikiniProfile

def babe():
    F = "babe"
    N = "BabeBikiniProfile"
    BSKIN, BSKIN_SH = "#f4c29a", "#dd9d74"
    BIKINI, BIKINI_SH = "#ff5b74", "#d63b58"
    HAIR, HAIR_SH = "#f6cf5f", "#d9a83a"

    # Head: circle of radius 18.5, face in profile to the left; neck reaches the chest below.
    p = new_pic(N + "_Head", 37, 37, F, center=True)
    # The neck's lower end lies on the chest, which carries the outline on from y 4.5 down.
    neck = poly_d([(14.2, -1), (13.8, 8), (22.8, 9), (23.2, -1)])
    p.fill(neck, BSKIN)
    p.line("M14.2 4.5 L13.9 8.6", SW)
    face = smooth_d([(6.4, 28.2), (4.6, 23.6), (3.7, 21.2), (1.6, 17.6), (3.6, 16.4), (3.7, 15.1),
                     (4.4, 14.2), (3.8, 13.2), (4.7, 11.9), (4.6, 10.4), (6.6, 7.6), (11.6, 6.9),
                     (15.6, 8.4), (22, 9.5), (27, 18), (22, 31)])
    p.shape(face, BSKIN, BSKIN_SH, off=1.6)
    hair = smooth_d([(5.3, 26.6), (8.6, 31.4), (14.6, 35), (21.6, 35.6), (28, 33.2), (32.8, 28.2),
                     (35.2, 21.4), (34.8, 14.4), (33.2, 8.8), (30.2, 4.2), (26.2, 3.4), (24.4, 7.6),
                     (23.6, 12), (21.4, 15.6), (18.6, 19.8), (16.4, 24.6), (12.4, 26.4), (8.6, 25.4)])
    p.shape(hair, HAIR, HAIR_SH, off=1.8)
    p.line(smooth_d([(9.6, 29.6), (15.4, 32.2), (21.6, 32.4), (27.6, 29.8)], closed=False), THIN, HAIR_SH)
    p.line(smooth_d([(26.4, 24.6), (30.4, 18.6), (31.2, 11.4), (29.4, 6.4)], closed=False), THIN, HAIR_SH)
    # A hibiscus behind the ear.
    for i in range(5):
        a = math.radians(90 + i * 72)
        p.shape(circle_d(26.6 + 2.3 * math.cos(a), 24.4 + 2.3 * math.sin(a), 1.9), "#ff6f8e", stroke=0.8)
    p.fill(circle_d(26.6, 24.4, 1.1), "#ffd23f")
    p.shape(ellipse_d(20.4, 16.6, 2.2, 3), BSKIN, BSKIN_SH, off=0.7, stroke=1.1)
    p.fill(circle_d(20.2, 13.4, 0.8), "#ffd23f")
    # Eye with lashes, brow, lips.
    p.fill("M6.4 20.4 Q8.6 22.5 10.6 20.4 Q8.6 19.2 6.4 20.4 Z", WHITE)
    p.fill(circle_d(7.9, 20.5, 1.05), "#3d6b9e")
    p.fill(circle_d(7.6, 20.6, 0.45), INK)
    p.line("M6 20.6 Q8.6 23.2 11 20.6 M10.6 21.6 L11.8 22.6 M9.8 22.4 L10.6 23.6", 0.9)
    p.line("M5.4 24.6 Q8 26 11 24.9", 0.9, HAIR_SH)
    p.fill("M3.6 13.2 Q5.4 13.9 6.9 13.2 Q5.6 12.4 4.6 11.9 Q4.9 12.6 3.6 13.2 Z", "#e0475e")
    p.line("M5 12.7 Q5.9 12.9 6.9 13.2", 0.7)
    p.fill(ellipse_d(9.6, 14.6, 2, 1.2), "#ff8c8c", opacity=0.45)

    # Chest 26 x 43: shoulders and the base of the neck; the bust circle sits at its front (5, 23).
    p = new_pic(N + "_Chest", 26, 43, F)
    # Below the bust the sides narrow to the stomach's, which is drawn over them.
    torso = smooth_d([(4.4, -1), (4.4, 6), (3.6, 12), (2.4, 20), (4.6, 28), (8.4, 31.8), (10.3, 34.8), (13.6, 37),
                      (18.6, 37.2), (22.8, 34.6), (24.8, 28), (24.4, 20), (22, 13), (20.4, 6.5),
                      (20.4, -1)], closed=False)
    p.shape(torso + " Z", BSKIN, BSKIN_SH, off=2.0, stroke=0)
    p.begin_clip(torso + " Z")
    # Bikini strings: around the back and up to the neck.
    p.fill("M-1 19.2 L27 20.4 L27 22.6 L-1 21.6 Z", BIKINI)
    p.line("M-1 19.2 L27 20.4 M-1 21.6 L27 22.6", 0.7)
    p.line("M4.2 31.5 L10.5 35.4", 1.5, BIKINI)
    p.line("M10 36.4 Q14 38 18 36.6", THIN, BSKIN_SH)
    p.end()
    p.outline(torso)

    # Bust: circle of radius 11 in a sporty bikini top.
    p = new_pic(N + "_Boob", 22, 22, F, center=True)
    p.kind = "round"
    ball = circle_d(11, 11, 10.25)
    p.shape(ball, BSKIN, BSKIN_SH, off=1.4, stroke=0)
    p.begin_clip(ball)
    cup = "M-1 17.2 Q9 18.6 23 9.2 L23 -1 L-1 -1 Z"
    p.toon(cup, BIKINI, BIKINI_SH, off=1.6)
    p.line("M-1 17.2 Q9 18.6 23 9.2", 1.1)
    p.line("M5 16.8 Q8.6 12 7.6 3", 0.7, BIKINI_SH)
    p.end()
    p.line("M9.6 18.6 L10.6 21.2", 1.5, BIKINI)
    p.outline(ball)

    # Stomach 21 x 26: bare midriff over the chest's lower 13 points; top-left kept clear of the bust.
    p = new_pic(N + "_Stomach", 21, 26, F)
    # Its sides lie on the chest's where they overlap and on the butt's below; the top stays open.
    sides = [(10.5, 26.5), (6, 24.6), (3.4, 20.6), (3.4, 13), (3.3, 6), (3.4, -1), (19.2, -1),
             (18.7, 6), (19.4, 13), (19.4, 28)]
    mid = open_top_d(sides, 30)
    p.shape(mid, BSKIN, BSKIN_SH, off=1.8, stroke=0)
    p.line("M5.6 8.8 Q6.2 8 5.8 7.2", 0.8)
    p.outline(smooth_d(sides[2:6], closed=False))
    p.outline(smooth_d(sides[6:], closed=False))

    # Butt 27 x 29: hip in a bikini bottom; the thighs hang from (13, 8).
    p = new_pic(N + "_Butt", 27, 29, F)
    sides = [(1.4, 31), (1.4, 23), (1.3, 16), (2.2, 8), (6, 2.2), (14, 1.2), (20.5, 2.4), (24.6, 5.6),
             (25.4, 10.5), (22.8, 15.6), (18.4, 19.4), (17.4, 23), (17.4, 31)]
    hip = open_top_d(sides, 32)
    p.shape(hip, BSKIN, BSKIN_SH, off=1.8, stroke=0)
    p.begin_clip(hip)
    bottom = "M-1 15.2 Q9 13.6 16 15.6 Q22 18 28 21.6 L28 -2 L-1 -2 Z"
    p.toon(bottom, BIKINI, BIKINI_SH, off=1.6)
    p.line("M-1 15.2 Q9 13.6 16 15.6 Q22 18 28 21.6", 1.1)
    p.end()
    p.line("M8.6 15 Q7.6 11.6 6 10.6 M8.6 15 Q10.4 11.8 11.2 10.4", 1.0, BIKINI_SH)
    p.outline(smooth_d(sides, closed=False))

    # Arms: shoulder (8, 6) below the elbow (8, 37); the forearm's elbow is (9, 4), hand on top.
    p = new_pic(N + "_Bicep", 18, 41, F)
    p.shape(capsule_d(8.6, 9.4, 7.6, 8.2, 34.6, 5.8), BSKIN, BSKIN_SH, off=1.6)
    p = new_pic(N + "_Forearm", 18, 53, F)
    p.shape(capsule_d(9, 7, 5.6, 9, 38, 4.3), BSKIN, BSKIN_SH, off=1.4)
    hand = smooth_d([(5.4, 38), (2.8, 42.6), (3.4, 45.2), (5.4, 44.4), (6, 50.4), (8.6, 52.2),
                     (11.6, 51.6), (13.6, 48.6), (13.8, 42.4), (12, 37.6)])
    p.shape(hand, BSKIN, BSKIN_SH, off=1.1)
    p.line("M8.9 51.6 L9.2 47.4 M11.6 51 L11.4 47", 0.7)
    p.shape(rrect_d(4, 34.2, 10, 2.6, 1.3), "#ffd23f", stroke=1.0)

    # Legs: thigh hip (12, 34) to knee (11, 5); calf knee (7, 43) to ankle (12, 4).
    p = new_pic(N + "_Thigh", 24, 40, F)
    p.shape(capsule_d(12, 29, 10.2, 11.2, 8.4, 7.6), BSKIN, BSKIN_SH, off=1.8)
    p = new_pic(N + "_Calf", 20, 48, F)
    calf = smooth_d([(1.4, 41), (2.2, 30), (5.2, 17), (7.8, 6.6), (10, 2.6), (14.6, 3.4), (16.2, 10),
                     (17.8, 23), (17.2, 33.6), (13.8, 44.8), (7.6, 47), (3, 45.6)])
    p.shape(calf, BSKIN, BSKIN_SH, off=1.6)

    # Foot 27 x 17: sole 0..27 x 0..11 and heel 16..27 x 11..17; bare foot on a flip-flop.
    p = new_pic(N + "_Foot", 27, 17, F)
    foot = smooth_d([(1.2, 4.4), (3.2, 6.6), (9, 8.4), (14.6, 9.6), (16.9, 10.1), (17.9, 12.6), (19.2, 15.8),
                     (23.6, 16.3), (26, 13.4), (26.1, 6), (23.6, 2.8), (4, 2.8), (1.4, 3.2)])
    p.shape(foot, BSKIN, BSKIN_SH, off=1.3)
    p.shape(rrect_d(0.8, 0.8, 25.4, 2.6, 1.3), BIKINI, BIKINI_SH, off=0.6, stroke=1.1)
    p.line("M5.2 4.2 Q8 7.2 12.2 9.2 M5.2 4.2 Q7.4 3.8 10.2 3.4", 1.3, BIKINI)
    p.line("M3.4 6.6 L3.9 5.2 M5.6 7.4 L6 6", 0.6)

    fig = Figure(N)
    P = PICTURES
    fig.body("chest", P[N + "_Chest"], 7, 104)
    fig.body("boob", P[N + "_Boob"], 12, 127)
    fig.body("stomach", P[N + "_Stomach"], 8, 91)
    fig.body("butt", P[N + "_Butt"], 10, 74)
    fig.body("head", P[N + "_Head"], 21.5, 151.5)
    for i in (1, 2):
        fig.body(f"bicep{i}", P[N + "_Bicep"], 17, 131)
        fig.body(f"forearm{i}", P[N + "_Forearm"], 16, 164)
        fig.body(f"thigh{i}", P[N + "_Thigh"], 11, 48)
        fig.body(f"calf{i}", P[N + "_Calf"], 15, 10)
        fig.body(f"foot{i}", P[N + "_Foot"], 7, 0)
    fig.order = ["bicep1", "forearm1", "thigh1", "calf1", "foot1", "chest", "boob", "stomach", "butt",
                 "head", "thigh2", "calf2", "foot2", "bicep2", "forearm2"]
    fig.joints = {
        "shoulder": fig.world("chest", (17, 33)), "elbow": fig.world("bicep1", (8, 37)),
        "hip": fig.world("butt", (13, 8)), "knee": fig.world("thigh1", (11, 5)),
    }
    FIGURES[N] = fig



# ================================================================ Dog

DOG_HEAD_OUTLINE = [(1.2, 15.6), (2.4, 19.6), (8, 21.4), (16, 22.6), (21.6, 26.4), (27.6, 31.4),
                    (36, 33.1), (44.6, 31.6), (50.6, 27), (53.8, 20), (53.9, 12), (51.6, 5.2),
                    (45.6, 1.4), (36, 1.6), (28, 3.6), (22.4, 6.4), (14, 7.4), (5.6, 8), (2, 10.6)]


def dog():
    F = "dog"
    FUR, FUR_SH = "#e6a95a", "#c4843c"
    CREAM, CREAM_SH = "#f8e4bf", "#e2c593"
    EAR, EAR_SH = "#a9682f", "#874f22"
    MOUTH = "#8c2f3c"
    TONGUE = "#f47b8c"
    PAD = "#e98fa0"

    # Head 55 x 34, snout to the left; the jaw (3..22 x 1..8) hangs from (21, 3) below the muzzle.
    p = new_pic("DogHead", 55, 34, F)
    head = smooth_d(DOG_HEAD_OUTLINE)
    p.fill("M4 9.6 Q12 6.4 22.4 6.4 L22.4 2.2 Q12 1.8 4 4.6 Z", MOUTH)   # seen when the jaw opens
    p.shape(head, FUR, FUR_SH, off=2.0, stroke=0)
    p.begin_clip(head)
    muzzle = smooth_d([(-1, 12), (0, 19.6), (8, 20.2), (16, 21), (22, 18.6), (27.6, 12), (27, 5),
                       (20, 4), (8, 6), (-1, 8)])
    p.toon(muzzle, CREAM, CREAM_SH, off=1.2)
    p.fill("M36 -1 Q46 6 56 4 L56 -1 Z", CREAM)
    p.end()
    p.line("M4.6 9.2 Q12 8.2 22 8.6", 1.1)
    p.fill(ellipse_d(4.2, 17.4, 3.6, 2.8), INK)
    p.fill(ellipse_d(3.4, 18.6, 1.2, 0.7), WHITE, opacity=0.8)
    p.line("M4.6 14.6 Q5 11.6 4.6 9.6", 1.1)
    for x, y in ((10.4, 14.4), (12.6, 16), (12.8, 13)):
        p.fill(circle_d(x, y, 0.55), FUR_SH)
    # A big friendly eye with a brow.
    p.fill(ellipse_d(26, 23.4, 3.2, 3.6), WHITE)
    p.fill(circle_d(25, 23, 2.2), INK)
    p.fill(circle_d(24.3, 23.9, 0.8), WHITE)
    p.line(ellipse_d(26, 23.4, 3.2, 3.6), 1.0)
    p.line("M22.2 29 Q25.4 31 29.4 29.2", 1.1)
    p.line("M22.6 8.4 Q25 9.8 26.6 12.4", 1.0)
    ear = smooth_d([(35.2, 30.4), (41.6, 32.2), (46.8, 29.4), (47.6, 21), (45.6, 10.8), (41.6, 8.4),
                    (38.6, 11.6), (37.4, 19.6), (34.6, 26.4)])
    p.shape(ear, EAR, EAR_SH, off=1.5, stroke=1.3)
    p.outline(head)

    # Jaw 19 x 7, hinged at (17, 3.5): the chin with the tongue lolling over it.
    p = new_pic("DogJaw", 19, 7, F)
    jaw = smooth_d([(1.2, 4.6), (2.4, 1.4), (8, 0.8), (15, 1.2), (18.2, 3.6), (16.4, 6.2), (3, 6.2)])
    p.shape(jaw, CREAM, CREAM_SH, off=0.9)
    tongue = smooth_d([(2.8, 6.2), (1.6, 3.6), (2.6, 1.6), (5, 1.4), (6.6, 3.4), (8, 6.2)])
    p.shape(tongue, TONGUE, "#d95a6e", off=0.6, stroke=1.0)
    p.line("M4.6 5.8 L4.4 3.4", 0.6, "#c24a5e")

    # Front trunk 75 x 64: the head hangs at (10, 20); its right end lies over the rear trunk.
    p = new_pic("DogBody1", 75, 64, F)
    sides = [(80, 27.4), (74, 25), (66, 15.6), (56, 6), (40, 1.4), (16, 2), (6.6, 6.4), (2.6, 16), (3.2, 30),
             (7.6, 42), (15.6, 52.6), (28, 59.8), (44, 62.2), (62, 62.4), (80, 62.4)]
    trunk = smooth_d(sides, closed=False) + " Z"
    p.shape(trunk, FUR, FUR_SH, off=2.6, stroke=0)
    p.begin_clip(trunk)
    p.toon(smooth_d([(-2, 4), (4, 36), (12, 34), (16, 20), (26, 10), (40, 4.6), (60, 6), (62, -2)]),
           CREAM, CREAM_SH, off=1.6)
    p.line("M40 54 Q46 50 52 53.6", THIN, FUR_SH)
    collar = poly_d([(-2, 33.6), (8, 30), (21.6, 52.4), (13, 58)])
    p.shape(collar, "#3c6fd1", "#2c54a5", off=0.9, stroke=1.1)
    p.end()
    p.shape(circle_d(9.4, 34.2, 2.6), "#ffd23f", "#d9a83a", off=0.6, stroke=1.0)
    p.outline(smooth_d(sides, closed=False))

    # Rear trunk 80 x 41: its left end lies under the front trunk, the haunch covers its rump.
    p = new_pic("DogBody2", 80, 41, F)
    rump = smooth_d([(-2, 38.4), (30, 38.6), (52, 38.4), (68, 34), (76.6, 25), (79.2, 15), (75.4, 6),
                     (64, 1.6), (40, 0.8), (16, 1.2), (-2, 3)], closed=False) + " Z"
    p.shape(rump, FUR, FUR_SH, off=2.4)
    p.begin_clip(rump)
    p.fill("M-2 -1 L70 -1 Q40 6 -2 5 Z", CREAM)
    p.end()
    p.outline(rump)

    # Front leg. The near one is drawn over the head, so it keeps to the bottom of its rectangles
    # (the chin rests on it) and the face stays in view; each piece still reaches its pivots.
    p = new_pic("DogFrontShoulder", 33, 27, F)
    p.shape(smooth_d([(22, 25.6), (30.6, 22), (32.2, 13), (27.6, 5.8), (18, 2.4), (8, 0.8), (2, 2.6),
                      (1.4, 9.6), (7, 13), (13.4, 19), (17, 24)]), FUR, FUR_SH, off=1.8)
    p.line("M13 9.6 Q17.6 12.6 20 18", THIN, FUR_SH)
    p = new_pic("DogFrontLeg", 50, 27, F)
    p.shape(capsule_d(44, 6.6, 5.8, 6.4, 6.2, 5.2), FUR, FUR_SH, off=1.5)
    p = new_pic("DogFrontFoot", 50, 27, F)
    p.shape(capsule_d(30, 6.6, 4.8, 12, 6.4, 5), FUR, FUR_SH, off=1.3)
    paw = smooth_d([(1.2, 5.4), (2.4, 10.2), (7.6, 12.4), (15.2, 12), (19.4, 8.6), (18.4, 3), (10.6, 1),
                    (3.4, 1.6)])
    p.shape(paw, CREAM, CREAM_SH, off=1.1)
    p.line("M5.4 12 Q6.2 8 5.2 1.6 M9.8 12.4 Q10.8 7.8 9.8 1.2", 0.8, CREAM_SH)
    p.line("M5.4 12 L5.7 10.6 M9.8 12.4 L10 11", 0.9)

    # Tail 47 x 19 from its root (4, 8), curling up at the tip.
    p = new_pic("DogTail", 47, 19, F)
    tail = smooth_d([(1.2, 8), (3, 12.2), (14, 12.6), (26, 13.4), (36, 15.6), (42.4, 18.2), (46, 16.4),
                     (44, 12), (36, 8.6), (24, 6), (12, 4.2), (4, 3.6)])
    p.shape(tail, FUR, FUR_SH, off=1.5)
    p.begin_clip(tail)
    p.fill(circle_d(46, 16, 5.2), CREAM)
    p.end()
    p.outline(tail)

    # Hind leg: haunch from the hip (5, 17) to the knee (48, 19), shank from (9, 13) to the hock (40, 12),
    # and the paw from (7, 9), soles turned up as a dog lying flat shows them.
    p = new_pic("DogHaunch", 59, 37, F)
    p.shape(capsule_d(18.6, 18.4, 17.6, 49.4, 19.2, 8.4), FUR, FUR_SH, off=2.2)
    p.line("M30 30 Q36 24 34.6 12", THIN, FUR_SH)
    p = new_pic("DogBackLeg", 59, 37, F)
    p.shape(capsule_d(9.6, 13.2, 8.4, 44, 12.2, 6.2), FUR, FUR_SH, off=1.6)
    p = new_pic("DogBackFoot", 33, 18, F)
    paw = smooth_d([(1.2, 9), (4, 14.4), (12, 15.8), (22, 16.8), (30.2, 15), (31.8, 9), (29.4, 3.6),
                    (20, 1.6), (10, 2.4), (3.4, 4)])
    p.shape(paw, CREAM, CREAM_SH, off=1.2)
    p.shape(ellipse_d(20.6, 11.4, 4, 3), PAD, stroke=0.9)
    for x, y in ((27.4, 14.2), (28.6, 9.6), (27.2, 5.2)):
        p.shape(circle_d(x, y, 1.4), PAD, stroke=0.8)

    fig = Figure("Dog")
    P = PICTURES
    place = {"head": ("DogHead", 20, 20), "jaw": ("DogJaw", 23, 21), "body1": ("DogBody1", 45, 18),
             "body2": ("DogBody2", 84, 42), "shoulder": ("DogFrontShoulder", 50, 22),
             "farShoulder": ("DogFrontShoulder", 45, 21), "frontLeg": ("DogFrontLeg", 19, 22),
             "farFrontLeg": ("DogFrontLeg", 20, 21), "frontFoot": ("DogFrontFoot", 0, 23),
             "farFrontFoot": ("DogFrontFoot", 6, 22), "tail": ("DogTail", 150, 48),
             "haunch": ("DogHaunch", 135, 43), "farHaunch": ("DogHaunch", 130, 44),
             "backLeg": ("DogBackLeg", 174, 49), "farBackLeg": ("DogBackLeg", 164, 51),
             "backFoot": ("DogBackFoot", 207, 52), "farBackFoot": ("DogBackFoot", 192, 55)}
    for k, (pic, x, y) in place.items():
        fig.body(k, P[pic], x, y)
    fig.order = ["farHaunch", "farBackLeg", "farBackFoot", "farShoulder", "farFrontLeg", "farFrontFoot",
                 "body2", "body1", "head", "jaw", "shoulder", "frontLeg", "frontFoot", "tail", "haunch",
                 "backLeg", "backFoot"]
    FIGURES["Dog"] = fig



# ================================================================ Rocker

ROCKER_HEAD_OUTLINE = [(2.2, 13.6), (1.4, 19.6), (3.6, 25.4), (9.6, 28.3), (17.4, 28.1), (23.6, 25),
                       (26.2, 18.4), (26.1, 9.6), (24, 3.4), (19.4, 1.4), (13.6, 3.2), (7.6, 3.4),
                       (4.2, 6.4), (3, 10)]


def rocker():
    F = "rocker"
    HAIR, HAIR_SH = "#3f2c22", "#2a1c15"
    TEE, TEE_SH = "#34303f", "#24212c"
    PRINT = "#ffd23f"
    JEANS, JEANS_SH = "#4a6cab", "#35518a"
    BOOT, BOOT_SH = "#2f2b36", "#1d1a22"
    METAL = "#d5d9e3"
    BAND = "#e0353a"
    BODY, BODY_SH = "#d9352f", "#a92521"
    WOOD, WOOD_SH = "#c98e54", "#a36c3a"

    def wristband(p, x0, x1, y0, y1):
        p.shape(rrect_d(x0, y0, x1 - x0, y1 - y0, 1.2), BOOT, stroke=1.1)
        for i in range(3):
            cx = x0 + (x1 - x0) * (i + 1) / 4
            p.fill(circle_d(cx, (y0 + y1) / 2, 0.7), METAL)

    # Head 27 x 29, facing left; neck pivot (15, 5). Long hair falls on from the chest picture.
    p = new_pic("Rocker_Head", 27, 29, F)
    p.fill(poly_d([(10.6, -1), (10.8, 6), (19.6, 6), (19.8, -1)]), SKIN)
    p.line("M10.7 0.5 L10.8 5", SW)
    face = smooth_d([(4.2, 21), (2.6, 16.8), (1.4, 13.4), (3.2, 12.2), (2.8, 10.6), (3.8, 9.4),
                     (3.4, 7.4), (5.6, 4.4), (10, 3.6), (15.4, 5.6), (19.6, 10), (20, 20)])
    p.shape(face, SKIN, SKIN_SH, off=1.5)
    hair = smooth_d([(3.2, 20.8), (4, 25), (9.6, 28.3), (17.4, 28.1), (23.6, 25), (26.2, 18.4),
                     (26.1, 9.6), (24, 3), (21, 1.6), (19, 4.6), (18.4, 10), (16.6, 14.6), (14.6, 17.6),
                     (10.6, 18.8), (6.6, 18.2)])
    p.shape(hair, HAIR, HAIR_SH, off=1.5)
    p.line("M8 24.6 Q13.6 26.8 20.6 24.4 M21.6 20.4 Q24 14 22.8 6.4", THIN, HAIR_SH)
    # Bandana over the brow, knot at the back.
    p.begin_clip(hair)
    p.shape(poly_d([(0, 19.2), (0, 22.6), (14, 23.4), (28, 21.4), (28, 18), (14, 19.6)]), BAND, "#b0262c",
            off=0.8, stroke=1.1)
    p.end()
    p.shape(smooth_d([(23.4, 19.4), (25.6, 16.2), (26.2, 13.4), (24.6, 14.2), (23.2, 17)]), BAND, stroke=1.0)
    # Ear, eye under a heavy brow, grin with the tongue out, stubble.
    p.shape(ellipse_d(17.4, 11.4, 1.9, 2.6), SKIN, SKIN_SH, off=0.6, stroke=1.0)
    p.fill("M5.2 14.6 Q7.2 16.2 9.4 14.6 Q7.2 13.4 5.2 14.6 Z", WHITE)
    p.fill(circle_d(6.8, 14.7, 0.95), INK)
    p.line("M4.6 17.4 Q7.2 17 10.2 16.2", 1.2)
    p.line("M4.4 14.6 Q7.2 16.4 9.8 14.6", 0.8)
    p.fill("M3.6 8.6 Q6.6 8 9.6 8.8 Q7.4 5.6 4.6 6.6 Z", "#7c2632")
    p.fill("M4.6 6.8 Q5.6 4.4 7.2 4.8 Q8 6.4 7.2 7.8 Z", "#f47b8c")
    p.line("M3.6 8.6 Q6.6 8 9.6 8.8 Q7.4 5.6 4.6 6.6 Z", 0.8)
    p.fill(ellipse_d(7.8, 5.4, 3.8, 1.6), HAIR_SH, opacity=0.25)
    p.outline(smooth_d([(4.2, 21), (2.6, 16.8), (1.4, 13.4), (3.2, 12.2), (2.8, 10.6), (3.8, 9.4),
                        (3.4, 7.4), (5.6, 4.4), (10, 3.6), (15.4, 5.6)], closed=False))

    # Chest 31 x 69: a black tee, neck pivot (10, 53), both shoulders at (15, 41), stomach at (11, 10).
    # Its back narrows at the bottom to the stomach's width, which is drawn over it.
    def chest(name, with_hair):
        p = new_pic(name, 31, 69, F)
        neck = poly_d([(6.4, 44), (7, 53.6), (14.4, 54.6), (15.4, 44)])
        p.shape(neck, SKIN, SKIN_SH, off=1.2)
        torso = smooth_d([(4.4, -1), (4.4, 8), (3, 20), (2.2, 32), (3.4, 42), (7.2, 48.2), (11, 47.6),
                          (15.6, 49.4), (21.6, 48.6), (25.8, 43), (26.8, 32), (25.6, 20), (23.4, 8),
                          (23.4, -1)], closed=False)
        p.toon(torso + " Z", TEE, TEE_SH, off=2.0)
        p.begin_clip(torso + " Z")
        star = [(12 + (4.4 if i % 2 == 0 else 1.9) * math.sin(i * math.pi / 5),
                 22 + (4.4 if i % 2 == 0 else 1.9) * math.cos(i * math.pi / 5)) for i in range(10)]
        p.shape(poly_d(star), PRINT, stroke=0.9)
        p.line("M7.2 48.2 Q11 45 15.6 49.4", 1.1)
        p.end()
        p.outline(torso)
        if with_hair:
            hair = smooth_d([(14.6, 50), (15.4, 62), (19, 68.2), (26, 68), (29.6, 61), (30.3, 48),
                             (29.6, 36), (28, 28.4), (25.4, 30.4), (24.6, 26.2), (22.2, 30.6),
                             (19.6, 28.4), (18.6, 34), (16.4, 40)])
            p.shape(hair, HAIR, HAIR_SH, off=1.8)
            p.line("M21 64 Q25 50 23.6 34 M26.6 60 Q28.4 48 26.8 36", THIN, HAIR_SH)

    chest("Rocker_Chest", True)
    chest("Rocker_Chest_No_Hair", False)

    # Stomach 27 x 39: tee over a studded belt and jeans; chest pivot (12, 35), hips (17, 13), (16, 14).
    p = new_pic("Rocker_Stomach", 27, 39, F)
    sides = [(6.4, 39), (6.4, 31), (4.8, 23), (2.8, 14), (2.2, 6), (4.6, 0.8), (22.6, 0.8), (25.6, 6),
             (25.8, 16), (25.4, 28), (25.4, 39)]
    hips = open_top_d(sides, 41)
    p.toon(hips, JEANS, JEANS_SH, off=1.8)
    p.begin_clip(hips)
    p.toon("M-1 27.4 Q13 26 28 27.4 L28 41 L-1 41 Z", TEE, TEE_SH, off=1.8)
    p.fill("M-1 21.4 Q13 20.4 28 21.4 L28 26 Q13 25 -1 26 Z", BOOT)
    p.line("M-1 21.4 Q13 20.4 28 21.4 M-1 26 Q13 25 28 26 M-1 27.4 Q13 26 28 27.4", 0.9)
    for x in (11.4, 15.6, 19.8, 24):
        p.fill(circle_d(x, 23.3, 0.75), METAL)
    p.shape(rrect_d(4, 20.6, 5.2, 6, 1), METAL, "#a9afbd", off=0.6, stroke=1.0)
    p.end()
    p.outline(smooth_d(sides, closed=False))

    # Legs: thigh hip (14, 44) to knee (14, 7); calf knee (8, 50) to ankle (9, 4), in its boot.
    p = new_pic("Rocker_Thigh", 24, 54, F)
    leg = capsule_d(13.2, 43, 10.2, 13.6, 10.2, 8.8)
    p.shape(leg, JEANS, JEANS_SH, off=1.8)
    p.shape(smooth_d([(10, 9.4), (12.6, 12.6), (17, 12.8), (18.6, 9.4), (15.6, 7.2), (11.8, 7.4)]), SKIN,
            stroke=0.9)
    p.line("M10.6 12.6 L11.4 11.4 M14 13.6 L14.2 12.4 M17.2 12.8 L16.6 11.8", 0.6, WHITE)
    p = new_pic("Rocker_Calf", 17, 56, F)
    leg = capsule_d(8.5, 47.4, 7.6, 8.8, 8, 7.0)
    p.shape(leg, JEANS, JEANS_SH, off=1.6, stroke=0)
    p.begin_clip(leg)
    p.toon("M-1 -1 H18 V15.4 Q8.5 17 -1 15.4 Z", BOOT, BOOT_SH, off=1.2)
    p.line("M-1 15.4 Q8.5 17 18 15.4", 1.1)
    p.fill("M-1 6 H18 V8.4 H-1 Z", "#5a5563")
    p.end()
    p.shape(rrect_d(10.6, 5.2, 3.4, 4, 0.6), METAL, stroke=0.8)
    p.outline(leg)
    # Foot 29 x 12: boot toe to the left, heel under the ankle (21, 8); the calf's shaft covers its top.
    p = new_pic("Rocker_Foot", 29, 12, F)
    boot = smooth_d([(1, 3.4), (2, 7), (6.4, 9.6), (14, 11), (22, 11.2), (28.2, 10), (28.2, 0.8),
                     (2.6, 0.8)])
    p.shape(boot, BOOT, BOOT_SH, off=1.2, stroke=0)
    p.begin_clip(boot)
    p.fill("M-1 -1 H30 V3 H-1 Z", "#57525f")
    p.end()
    p.fill(ellipse_d(5.6, 6, 2.2, 1.1), "#5a5563")
    p.outline(boot)

    # Arms. Rear bicep: chest (9, 8) below, forearm (4, 28) above. Front bicep: chest (13, 6),
    # forearm (6, 34). Forearms: bicep at (6, 4); the rear one holds the guitar at (5, 35), the
    # front one its fist at (9, 31).
    p = new_pic("Rocker_Bicep_Rear", 17, 32, F)
    p.shape(capsule_d(8.6, 8.6, 7.8, 5.8, 25.2, 5.8), SKIN, SKIN_SH, off=1.5)
    p = new_pic("Rocker_Bicep_Front", 19, 39, F)
    p.shape(capsule_d(12, 8.6, 7.6, 7.8, 32.6, 5.6), SKIN, SKIN_SH, off=1.6)
    heart = "M10.6 18.4 C8.8 20.4 7.4 18.6 8.6 17.2 L10.6 15 L12.6 17.2 C13.8 18.6 12.4 20.4 10.6 18.4 Z"
    p.shape(heart, BAND, stroke=0.8)
    p = new_pic("Rocker_Forearm_Rear", 11, 38, F)
    p.shape(capsule_d(5.6, 5.4, 4.7, 5.4, 33.2, 4.2), SKIN, SKIN_SH, off=1.2)
    wristband(p, 1, 10, 26.4, 30.4)
    p = new_pic("Rocker_Forearm_Front", 13, 34, F)
    p.shape(capsule_d(6.4, 5.8, 5.2, 8.2, 29, 4.4), SKIN, SKIN_SH, off=1.3)
    wristband(p, 2.6, 12.4, 23.4, 27.4)

    # Front hand 27 x 23 (its right side slants in to (23, 0)): a fist round the guitar's neck.
    p = new_pic("Rocker_Hand_Front", 27, 23, F)
    fist = smooth_d([(6.6, 1.4), (2.4, 5), (1.4, 11), (2.6, 17), (7, 21.4), (14, 22), (20.4, 20.6),
                     (24.4, 16.4), (22.6, 10), (19.6, 4.4), (14.8, 1.2)])
    p.shape(fist, SKIN, SKIN_SH, off=1.5)
    p.line("M3.4 16.2 Q8 15.4 12.4 16.4 M2.6 11.2 Q7.6 10.4 12.8 11.6 M3 6.4 Q7.6 5.8 11.6 7", 0.9)
    p.shape(smooth_d([(13.6, 17.6), (18.6, 21.2), (23.6, 17.8), (21, 13.4), (16.4, 13.4)]), SKIN,
            SKIN_SH, off=0.8, stroke=1.1)

    # Rear "hand" 104 x 32: the guitar. Headstock left with the strap pin (6, 16); the rear forearm
    # holds the neck at (46, 12), his fingers showing over it.
    p = new_pic("Rocker_Hand_Rear", 104, 32, F)
    neck = poly_d([(12, 10.8), (12, 17.2), (62, 17.4), (62, 10.6)])
    p.shape(neck, WOOD, WOOD_SH, off=0.9)
    p.fill(poly_d([(12, 12), (12, 16), (62, 16.2), (62, 11.8)]), "#5b3a24")
    for i in range(11):
        x = 16 + i * 4.2
        p.line(f"M{f(x)} 12 L{f(x)} 16", 0.5, METAL)
    head = smooth_d([(1, 9.6), (1.4, 20.4), (8, 22.4), (14.6, 18.6), (14.6, 9.6), (8, 7.4)])
    p.shape(head, BOOT, BOOT_SH, off=1.0)
    for x in (4, 8, 11.6):
        p.shape(circle_d(x, 20.6, 1.2), METAL, stroke=0.7)
        p.shape(circle_d(x, 8.8, 1.2), METAL, stroke=0.7)
    p.shape(circle_d(6, 16, 1.1), METAL, stroke=0.6)
    body = smooth_d([(56.8, 29.6), (61.6, 26.4), (67, 23.4), (74, 26.4), (84, 30.6), (94.6, 29.6),
                     (102.6, 22.4), (103.2, 12), (98.6, 4), (88, 0.9), (76, 2.4), (68.6, 6.4),
                     (63.6, 2.2), (58.6, 1.4), (57.6, 6.2), (60.6, 11), (59.6, 17.8), (55.8, 24.4)])
    p.shape(body, BODY, BODY_SH, off=2.2)
    guard = smooth_d([(63.4, 5.6), (69, 8.6), (76, 6.4), (90, 4.6), (96, 8.6), (92, 12), (80, 11.6),
                      (70, 13.6), (64.6, 11.2)])
    p.shape(guard, WHITE, WHITE_SH, off=0.8, stroke=1.0)
    for x in (72, 81):
        p.shape(rrect_d(x, 9.6, 4, 12.4, 1), BOOT, stroke=0.9)
        p.line(f"M{f(x + 2)} 11 V20.6", 0.6, "#6d6878", cap="butt")
    p.shape(rrect_d(89.6, 10.4, 3.2, 7.6, 0.8), METAL, stroke=0.9)
    for x, y in ((94.6, 7.4), (98.6, 10.6)):
        p.shape(circle_d(x, y, 1.6), "#ffd23f", stroke=0.8)
    for i in range(4):
        y = 12.8 + i * 0.8
        p.line(f"M10 {f(y)} L91 {f(y)}", 0.3, "#eef0f5", cap="butt")
    for i, x in enumerate((41.4, 45, 48.6)):
        p.shape(ellipse_d(x, 17.4, 1.9, 1.8), SKIN, SKIN_SH, off=0.5, stroke=0.9)

    # Strap 8 x 4: the end of the guitar strap at the headstock.
    p = new_pic("Rocker_Strap", 8, 4, F)
    p.shape(rrect_d(0.75, 0.75, 6.5, 2.5, 1.1), "#6b3b25", stroke=1.0)
    p.line("M2 2 H6", 0.5, "#e9c38f")

    fig = Figure("Rocker")
    P = PICTURES
    place = {"strap": ("Rocker_Strap", -36, 125), "rearHand": ("Rocker_Hand_Rear", -31, 107),
             "rearForearm": ("Rocker_Forearm_Rear", 10, 82), "rearBicep": ("Rocker_Bicep_Rear", 12, 54),
             "chest": ("Rocker_Chest", 8, 18), "head": ("Rocker_Head", 2, 67),
             "frontBicep": ("Rocker_Bicep_Front", 8, 54), "frontForearm": ("Rocker_Forearm_Front", 9, 80),
             "frontHand": ("Rocker_Hand_Front", 6, 109), "stomach": ("Rocker_Stomach", 6, -5),
             "thigh": ("Rocker_Thigh", 8, -37), "rearThigh": ("Rocker_Thigh", 8, -37),
             "frontCalf": ("Rocker_Calf", 14, -81), "rearCalf": ("Rocker_Calf", 14, -80),
             "frontFoot": ("Rocker_Foot", 1, -85), "rearFoot": ("Rocker_Foot", 1, -84)}
    for k, (pic, x, y) in place.items():
        fig.body(k, P[pic], x, y)
    fig.order = ["strap", "rearBicep", "rearForearm", "rearHand", "rearThigh", "rearFoot", "rearCalf",
                 "chest", "head", "stomach", "thigh", "frontFoot", "frontCalf", "frontBicep",
                 "frontForearm", "frontHand"]
    FIGURES["Rocker"] = fig



# ================================================================ Narwhal

IVORY, IVORY_SH = "#f4ead0", "#d6c59b"


def tusk_frame(i, frames=18):
    """Frame i of the saber: 0 the plain ivory tusk, `frames` the whole blade lit. The base stays
    ivory as the hilt; the blade grows from it to the tip."""
    p = new_pic(f"tusk_{i}", 86, 7, "narwhal/tusk")
    hilt_x, tip_x = 72.0, 1.0
    tusk = smooth_d([(0.9, 3.5), (4, 4.7), (20, 5.2), (45, 5.8), (70, 6.3), (85.2, 6.4), (85.2, 0.6),
                     (70, 0.7), (45, 1.2), (20, 1.8), (4, 2.3)])
    reach = hilt_x - (hilt_x - tip_x) * i / frames
    p.shape(tusk, IVORY, IVORY_SH, off=0.8, stroke=1.1)
    p.begin_clip(tusk)
    for k in range(18):
        x = 6 + k * 4.6
        p.line(f"M{f(x)} 0 L{f(x + 2.8)} 7", 0.6, IVORY_SH)
    p.end()
    # Hilt rings, always ivory.
    p.line("M74.6 0.8 V6.2 M78.6 0.7 V6.3", 1.0, "#a8956a", cap="butt")
    if i > 0:
        glow = capsule_d(reach + 2.4, 3.5, 2.6, hilt_x + 1.4, 3.5, 3.4)
        p.fill(glow, "#ff2a36", opacity=0.45)
        p.fill(capsule_d(reach + 2.4, 3.5, 1.9, hilt_x + 1.4, 3.5, 2.4), "#ff4b55")
        p.fill(capsule_d(reach + 2.4, 3.5, 0.9, hilt_x + 1.4, 3.5, 1.2), "#fff4f2")
        p.fill(rrect_d(hilt_x, 0.4, 2.6, 6.2, 1), "#ffd6d2", opacity=0.8)


def narwhal():
    F = "narwhal"
    BACK, BACK_SH = "#8ea8c1", "#6e89a5"
    BELLY, BELLY_SH = "#e6eef4", "#c3d2de"
    SPOT = "#6a849e"

    # Body 78 x 31, head to the left; the jaw (hinged at 12, 11) lies under the chin and shows
    # below the mouth line; the upper tail is drawn over the right end.
    p = new_pic("Narwhal_Body", 78, 31, F)
    nose = [(0.9, 13.2), (1.6, 18.6), (6, 25.2), (14, 29.2), (30, 30.2), (50, 29.8), (66, 29),
            (80, 27), (80, 9), (66, 4.6), (50, 1.6), (32, 0.8), (20, 2.6), (14.4, 6.4), (11.6, 10.4),
            (6, 10.8), (1.6, 10.9)]
    body = smooth_d(nose, closed=False) + " Z"
    p.shape(body, BACK, BACK_SH, off=2.2, stroke=0)
    p.begin_clip(body)
    p.toon(smooth_d([(-2, 11.2), (10, 11.4), (16, 8.6), (30, 9.8), (50, 9), (66, 10.4), (82, 11),
                     (82, -2), (-2, -2)]), BELLY, BELLY_SH, off=1.4)
    for x, y, r in ((24, 24.6, 1.6), (31, 27, 1.1), (36.6, 23.2, 1.8), (44, 26.4, 1.3), (50.6, 22.4, 1.6),
                    (57, 26.2, 1.2), (62, 21.4, 1.5), (40.6, 18.6, 1.0), (29, 19.4, 1.1), (68, 25.4, 1.2)):
        p.fill(ellipse_d(x, y, r * 1.3, r), SPOT, opacity=0.75)
    p.end()
    p.outline(smooth_d(nose, closed=False))
    p.fill(ellipse_d(15.6, 18.2, 2.3, 2.6), INK)
    p.fill(circle_d(15, 19.2, 0.8), WHITE)
    p.line("M12.8 22.4 Q15.6 24 18.2 22.6", 0.9)
    p.line("M6 11 Q9 12.4 11.4 11.2", 0.9)
    p.fill(ellipse_d(9, 14.4, 1.8, 1.1), "#f29a8a", opacity=0.5)

    p = new_pic("Narwhal_Jaw", 14, 9, F)
    jaw = smooth_d([(0.8, 6.8), (1.6, 3.6), (5, 1.2), (10, 0.8), (13.2, 3), (13.2, 8.2), (1.4, 8.2)])
    p.shape(jaw, BELLY, BELLY_SH, off=0.9)
    p.fill("M2 7.4 Q7 5.4 12.6 6.6 L12.6 8.2 L2 8.2 Z", "#d9707e")

    # Tail pieces: rounded at both ends so they overlap at every bend, belly colour underneath.
    def tail_piece(name, w, h, d, belly):
        p = new_pic(name, w, h, F)
        p.shape(d, BACK, BACK_SH, off=1.8, stroke=0)
        p.begin_clip(d)
        p.toon(belly, BELLY, BELLY_SH, off=1.2)
        p.end()
        p.outline(d)

    tail_piece("Narwhal_Uppertail", 39, 28, capsule_d(13.2, 15.2, 12.4, 30.8, 17, 7.4),
               "M-2 -2 H41 V12.6 Q20 9.4 -2 8.4 Z")
    tail_piece("Narwhal_Midtail", 42, 21, capsule_d(9.6, 10.4, 8.8, 36, 15.2, 5),
               "M-2 -2 H44 V12.2 Q20 7.4 -2 5.4 Z")
    p = new_pic("Narwhal_Tailfin", 30, 18, F)
    fin = smooth_d([(0.9, 7.4), (2.6, 10.6), (8, 11.4), (15, 14), (22, 16.4), (29.2, 17.2), (27.4, 13.2),
                    (24.2, 9), (27.6, 4.4), (29.2, 0.8), (21.6, 1.6), (14, 3.4), (7, 4.4), (2.6, 4)])
    p.shape(fin, BACK, BACK_SH, off=1.5)
    p.line("M8 7.4 Q16 8.6 23.4 9", THIN, BACK_SH)

    p = new_pic("Narwhal_Flipper", 13, 19, F)
    flip = smooth_d([(1.2, 14.6), (3.6, 18.2), (8.4, 15.2), (11.6, 8.4), (12.2, 2.6), (9.4, 1),
                     (5.6, 4.2), (2.2, 9.6)])
    p.shape(flip, BACK, BACK_SH, off=1.3)

    for i in range(19):
        tusk_frame(i)

    fig = Figure("Narwhal")
    P = PICTURES
    place = {"tusk": ("tusk_0", 0, 125), "body": ("Narwhal_Body", 90, 116), "jaw": ("Narwhal_Jaw", 89, 124),
             "upperTail": ("Narwhal_Uppertail", 149, 118), "midTail": ("Narwhal_Midtail", 172, 126),
             "tailFin": ("Narwhal_Tailfin", 200, 136), "flipper": ("Narwhal_Flipper", 120, 110)}
    for k, (pic, x, y) in place.items():
        fig.body(k, P[pic], x, y)
    fig.order = ["tusk", "jaw", "body", "upperTail", "midTail", "tailFin", "flipper"]
    lit = copy_figure(fig)
    lit.bodies["tusk"].pic = P["tusk_18"]
    fig.variants = {"lit": lit}
    FIGURES["Narwhal"] = fig



# ================================================================ selector thumbnails

def thumbnails():
    F = "thumbs"
    # name: (panel colour, world point at the centre, scale, turn in degrees, figure variant)
    looks = {
        "Nerd": ("#cfe6ff", (22, 132), 0.7, 0, None),
        "BabeBikiniProfile": ("#ffe2a6", (23, 128), 0.64, 0, None),
        "Dog": ("#cdeec4", (64, 47), 0.64, 0, None),
        "Rocker": ("#ffd3cf", (18, 100), 0.6, 0, None),
        "Narwhal": ("#bfe3f3", (128, 131), 0.36, 28, "lit"),
    }
    # The near arm lowered, one waving: the face shows and the figure reads at a glance.
    poses = {
        "Nerd": [(["forearm2"], "elbow2", 35), (["bicep2", "forearm2"], "shoulder2", 160)],
        "BabeBikiniProfile": [(["forearm2"], "elbow", 45), (["bicep2", "forearm2"], "shoulder", 165)],
    }
    for name, (panel, (cx, cy), scale, turn, variant) in looks.items():
        fig = copy_figure(FIGURES[name].variants[variant] if variant else FIGURES[name])
        joints = getattr(FIGURES[name], "joints", {})
        for keys, joint, degrees in poses.get(name, []):
            fig.rotate(keys, joints[joint], degrees)
        p = new_flat(name + "_Thumb", 60, 60, F)
        card = rrect_d(1.5, 1.5, 57, 57, 10)
        p.defs.extend(fig.defs())
        p.defs.append(f'<clipPath id="{name}-card"><path d="{card}"/></clipPath>')
        p.add(f'<path d="{card}" fill="{panel}"/>')
        p.add(f'<g clip-path="url(#{name}-card)">')
        p.add(f'<circle cx="30" cy="36" r="26" fill="#ffffff" fill-opacity="0.45"/>')
        p.add(f'<g transform="translate(30 30) rotate({f(-turn)}) scale({f(scale)} {f(-scale)}) '
              f'translate({f(-cx)} {f(-cy)})">\n{fig.group()}\n</g>')
        p.add("</g>")
        p.add(f'<path d="{card}" fill="none" stroke="{INK}" stroke-width="2"/>')


# ================================================================ face cropper

CROPPER_W, CROPPER_H = 260, 211


def head_outline(name):
    """The head's outline in its picture's y-up frame: what a custom face is cut to."""
    if name == "Nerd":
        return circle_d(15.5, 15.5, 15.5)
    if name == "BabeBikiniProfile":
        return circle_d(18.5, 18.5, 18.5)
    if name == "Dog":
        return smooth_d(DOG_HEAD_OUTLINE)
    return smooth_d(ROCKER_HEAD_OUTLINE)


def cropper():
    F = "cropper"
    # name: (scale of the mask over the head picture, head picture, where the head sits with a custom
    # face (its picture's lower-left corner), the parts drawn over it then)
    heads = {
        "Nerd": (5, "Nerd_Head", (0, 140), ["chest", "stomach"], {}),
        "BabeBikiniProfile": (5, "BabeBikiniProfile_Head", (5, 134), ["chest", "boob", "stomach"], {}),
        # With a custom face the neck pivots are (40, 15) on the head and (10, 29) on body1.
        "Dog": (4, "DogHead", (15, 32), ["body2", "body1"], {}),
        "Rocker": (6, "Rocker_Head", (4, 61), ["chest", "stomach"], {"chest": "Rocker_Chest_No_Hair"}),
    }
    for name, (k, head_name, (hx, hy), over, swap) in heads.items():
        head = PICTURES[head_name]
        w, h = head.w * k, head.h * k
        outline = head_outline(name)
        to_pic = f"translate(0 {f(h)}) scale({k} {-k})"

        # Alpha mask: black keeps the photo, white cuts it away.
        m = new_flat(name + "_HeadCropperAlphaMask", w, h, F, "opaque")
        m.add(f'<rect width="{w}" height="{h}" fill="#ffffff"/>')
        m.add(f'<path d="{outline}" fill="#000000" transform="{to_pic}"/>')

        # Matte over the photo: a veil with the head's shape left open, centred where the mask is cut,
        # and the parts that will be drawn over the face, at the same scale.
        fig = copy_figure(FIGURES[name])
        for key, pic in swap.items():
            fig.bodies[key].pic = PICTURES[pic]
        x0, y0 = (CROPPER_W - w) / 2, (CROPPER_H - h) / 2
        opening = f"translate({f(x0)} {f(y0)}) {to_pic}"
        p = new_flat(name + "_HeadCropperMatte", CROPPER_W, CROPPER_H, F, "overlay")
        p.defs.extend(fig.defs(over))
        p.defs.append(f'<mask id="{name}-open"><rect width="{CROPPER_W}" height="{CROPPER_H}" fill="#fff"/>'
                      f'<path d="{outline}" fill="#000" transform="{opening}"/></mask>')
        p.add(f'<rect width="{CROPPER_W}" height="{CROPPER_H}" fill="#1d1830" fill-opacity="0.62" '
              f'mask="url(#{name}-open)"/>')
        # Shown see-through, so the part of the photo they will hide can still be placed.
        p.add(f'<g opacity="0.78" transform="translate({f(x0)} {f(y0 + h)}) scale({k} {-k}) '
              f'translate({f(-hx)} {f(-hy)})">\n{fig.group(over)}\n</g>')
        p.add(f'<path d="{outline}" fill="none" stroke="{INK}" stroke-width="{f(4 / k)}" transform="{opening}"/>')
        p.add(f'<path d="{outline}" fill="none" stroke="#ffffff" stroke-width="{f(2 / k)}" '
              f'stroke-dasharray="{f(6 / k)} {f(4 / k)}" transform="{opening}"/>')

    help_picture()


def help_picture():
    p = new_flat("FaceCropperHelp", 220, 171, "cropper", "overlay")
    font = 'font-family="Liberation Sans, Helvetica, Arial, sans-serif"'
    p.add(f'<rect x="1.5" y="1.5" width="217" height="168" rx="14" fill="#1d1830" fill-opacity="0.86" '
          f'stroke="#ffffff" stroke-opacity="0.9" stroke-width="2"/>')
    p.add(f'<text x="110" y="24" {font} font-size="14" font-weight="bold" fill="#ffd23f" '
          f'text-anchor="middle">Fit your face in the outline</text>')

    def finger(x, y):
        return (f'<circle cx="{f(x)}" cy="{f(y)}" r="6" fill="#f7c9a1" stroke="{INK}" stroke-width="1.5"/>'
                f'<circle cx="{f(x - 1.6)}" cy="{f(y - 1.8)}" r="1.6" fill="#ffffff" fill-opacity="0.7"/>')

    def arrow(d, head):
        return (f'<path d="{d}" fill="none" stroke="#ffffff" stroke-width="2" stroke-linecap="round"/>'
                f'<path d="{head}" fill="#ffffff"/>')

    rows = [(52, "Drag with one finger", "to move the photo"),
            (92, "Pinch with two fingers", "to make it bigger or smaller"),
            (132, "Twist two fingers", "to turn it")]
    for y, line1, line2 in rows:
        p.add(f'<text x="76" y="{y - 3}" {font} font-size="12.5" font-weight="bold" fill="#ffffff">{line1}</text>')
        p.add(f'<text x="76" y="{y + 12}" {font} font-size="11" fill="#dfe3f0">{line2}</text>')
    # Drag: one finger and four arrows.
    cx, cy = 38, 52
    p.add(arrow(f"M{cx - 22} {cy} H{cx + 22} M{cx} {cy - 16} V{cy + 16}",
                f"M{cx - 26} {cy} l6 -4 v8 Z M{cx + 26} {cy} l-6 -4 v8 Z "
                f"M{cx} {cy - 20} l-4 6 h8 Z M{cx} {cy + 20} l-4 -6 h8 Z"))
    p.add(finger(cx, cy))
    # Pinch: two fingers moving apart along a diagonal.
    cx, cy = 38, 92
    p.add(arrow(f"M{cx - 9} {cy + 9} L{cx - 19} {cy + 19} M{cx + 9} {cy - 9} L{cx + 19} {cy - 19}",
                f"M{cx - 23} {cy + 23} l2 -9 l7 7 Z M{cx + 23} {cy - 23} l-9 2 l7 7 Z"))
    p.add(finger(cx - 9, cy + 9) + finger(cx + 9, cy - 9))
    # Twist: two fingers on a circle with curved arrows.
    cx, cy = 38, 131
    p.add(arrow(f"M{cx - 13} {cy - 12} A18 18 0 0 1 {cx + 10} {cy - 15} "
                f"M{cx + 13} {cy + 12} A18 18 0 0 1 {cx - 10} {cy + 15}",
                f"M{cx + 15} {cy - 12} l-8 -7 l0 9 Z M{cx - 15} {cy + 12} l8 7 l0 -9 Z"))
    p.add(finger(cx - 12, cy + 4) + finger(cx + 12, cy - 4))
    p.add(f'<text x="110" y="162" {font} font-size="9.5" fill="#b9bfd6" text-anchor="middle">'
          f"Tap this note to hide it</text>")


# ================================================================ output

def preview_svg(fig, scale=3, pad=10):
    """The figure at rest (bodies as placed), on a light grid, for checking by eye."""
    xs, ys = [], []
    for b in fig.bodies.values():
        p = b.pic
        x0 = b.x - (p.w / 2 if p.center else 0)
        y0 = b.y - (p.h / 2 if p.center else 0)
        xs += [x0, x0 + p.w]
        ys += [y0, y0 + p.h]
    minx, maxx, miny, maxy = min(xs) - pad, max(xs) + pad, min(ys) - pad, max(ys) + pad
    w, h = maxx - minx, maxy - miny
    grid = "".join(f'<path d="M{f(x)} {f(miny)} V{f(maxy)}" stroke="#c9d3e0" stroke-width="0.3"/>'
                   for x in range(int(minx) // 10 * 10, int(maxx) + 1, 10))
    grid += "".join(f'<path d="M{f(minx)} {f(y)} H{f(maxx)}" stroke="#c9d3e0" stroke-width="0.3"/>'
                    for y in range(int(miny) // 10 * 10, int(maxy) + 1, 10))
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{f(w * scale)}" height="{f(h * scale)}" '
            f'viewBox="{f(minx)} 0 {f(w)} {f(h)}">\n<defs>\n' + "\n".join(fig.defs()) + "\n</defs>\n"
            f'<rect x="{f(minx)}" y="0" width="{f(w)}" height="{f(h)}" fill="#f4f7fb"/>\n'
            f'<g transform="translate(0 {f(maxy)}) scale(1 -1)">{grid}\n{fig.group()}\n</g>\n</svg>\n')


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    try:
        with open(path, encoding="utf-8") as fh:
            if fh.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(path, "w", encoding="utf-8") as fh:
        fh.write(text)


def main(argv):
    for build in BUILDERS:
        build()
    wanted = set()
    for name, p in PICTURES.items():
        path = os.path.join(OUT, p.folder, name + ".svg")
        wanted.add(path)
        write(path, p.svg())
    # Drop sources of pictures no longer drawn, so none renders by accident.
    for dirpath, _, files in os.walk(OUT):
        for fn in files:
            full = os.path.join(dirpath, fn)
            if fn.endswith(".svg") and full not in wanted:
                os.remove(full)
    rows = [f"{name}.png\t{p.w}\t{p.h}\t{p.kind}" for name, p in sorted(PICTURES.items())]
    write(os.path.join(OUT, "manifest.tsv"), MANIFEST_HEADER + "\n".join(rows) + "\n")
    if len(argv) > 2 and argv[1] == "--preview":
        d = argv[2]
        os.makedirs(d, exist_ok=True)
        for name, fig in FIGURES.items():
            for tag, variant in [("", fig)] + [(f"-{k}", v) for k, v in getattr(fig, "variants", {}).items()]:
                svgp = os.path.join(d, f"{name}{tag}.svg")
                with open(svgp, "w") as fh:
                    fh.write(preview_svg(variant))
                subprocess.run(["rsvg-convert", svgp, "-o", svgp[:-4] + ".png"], check=True)


MANIFEST_HEADER = ("# Every figure picture, written by Tools/figures-svg.py; columns and kinds as in\n"
                   "# Resources/Source/manifest.tsv.\n# file\twidth\theight\tkind\n")
BUILDERS = [nerd, babe, dog, rocker, narwhal, thumbnails, cropper]

if __name__ == "__main__":
    main(sys.argv)
