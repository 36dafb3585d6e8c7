#!/usr/bin/env python3
"""Writes the small interface pictures that come in families: the pain meter blocks, the digit
atlas, the selector marker and the spark."""
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
from artkit import INK, circle, path, rect, svg, write  # noqa: E402

PAIN = {"None": ("#453c5e", "#5a5178"), "Low": ("#4fcf5c", "#a6f0a0"), "Medium": ("#ffb12e", "#ffe08a"),
        "High": ("#ef3f3a", "#ff9a8a")}

# Centre lines of the atlas glyphs in a 16 x 24 cell; drawn as a dark stroke under a light one so
# they read on any background. Order is the character order from '.' upward.
GLYPHS = [
    None,                                                                    # '.' is a dot, below
    "M11 4 L5 20",                                                           # '/'
    "M8 4 C12.6 4 12.6 20 8 20 C3.4 20 3.4 4 8 4 Z",                         # 0
    "M5.2 7 L8.6 4 L8.6 20 M5.4 20 L11.6 20",                                # 1
    "M4.6 7.6 C4.6 3 11.6 3 11.6 7.6 C11.6 11.2 4.6 14.6 4.6 20 L11.6 20",   # 2
    "M4.6 5.6 C6 3.4 11.6 3.4 11.6 7.6 C11.6 10.4 9.4 11.6 7.2 11.8 C9.4 12 11.8 13.2 11.8 16 "
    "C11.8 20.8 5.6 20.8 4.2 18.4",                                          # 3
    "M10 20 L10 4 L4 15 L12 15",                                             # 4
    "M11.6 4 L5.2 4 L4.6 11 C6 10 11.8 9.6 11.8 15 C11.8 20.6 6 21 4.2 18.4",  # 5
    "M11 5 C8 3.4 4.5 5 4.5 12 L4.5 15.6 C4.5 21 11.6 21 11.6 15.6 C11.6 10.6 5 10.6 4.5 14",  # 6
    "M4.4 4 L11.6 4 L7 20",                                                  # 7
    "M8 11.7 C4.6 11.7 4.6 4 8 4 C11.4 4 11.4 11.7 8 11.7 C3.8 11.7 3.8 20 8 20 C12.2 20 12.2 11.7 8 11.7 Z",  # 8
    "M5 19 C8 20.6 11.5 19 11.5 12 L11.5 8.4 C11.5 3 4.4 3 4.4 8.4 C4.4 13.4 11 13.4 11.5 10",  # 9
]
GLYPH_LIGHT = "#fff6dc"


def pain_blocks(src):
    for name, (fill, light) in PAIN.items():
        body = rect(0.75, 0.75, 6.5, 14.5, fill, rx=2, stroke=INK, sw=1.5)
        body += rect(2, 2.2, 1.6, 7, light, rx=0.8, extra=' opacity="0.8"')
        write(os.path.join(src, "ui", f"Pain-{name}.svg"), svg(8, 16, body))


def digits(src):
    under, over = "", ""
    for i, d in enumerate(GLYPHS):
        x = i * 16
        if d is None:
            under += circle(x + 8, 19, 3.2, INK)
            over += circle(x + 8, 19, 1.6, GLYPH_LIGHT)
            continue
        g = f'<path transform="translate({x} 0)" d="{d}" fill="none" stroke-linecap="round" stroke-linejoin="round" '
        under += g + f'stroke="{INK}" stroke-width="5"/>\n'
        over += g + f'stroke="{GLYPH_LIGHT}" stroke-width="2.4"/>\n'
    write(os.path.join(src, "ui", "fps_images.svg"), svg(16 * len(GLYPHS), 24, under + over))


def marker(src):
    # A ring over the thumbnail's own rounded edge plus a tick badge; the middle stays clear.
    body = rect(2.5, 2.5, 55, 55, "none", rx=9, stroke=INK, sw=5)
    body += rect(2.5, 2.5, 55, 55, "none", rx=9, stroke="#ffd23f", sw=2.6)
    body += circle(50, 10, 8.5, "#ffd23f", stroke=INK, sw=2)
    body += path("M46 10.2 L49 13.2 L54.2 7.2", "none", stroke=INK, sw=2.4)
    write(os.path.join(src, "ui", "Selected.svg"), svg(60, 60, body))


def spark(src):
    # White, so the particles' own colours tint it; premultiplied-friendly soft edge.
    defs = ('<radialGradient id="g" cx="16" cy="16" r="16" gradientUnits="userSpaceOnUse">'
            '<stop offset="0" stop-color="#ffffff" stop-opacity="1"/>'
            '<stop offset="0.25" stop-color="#ffffff" stop-opacity="0.85"/>'
            '<stop offset="0.6" stop-color="#ffffff" stop-opacity="0.25"/>'
            '<stop offset="1" stop-color="#ffffff" stop-opacity="0"/></radialGradient>')
    write(os.path.join(src, "ui", "Spark.svg"), svg(32, 32, rect(0, 0, 32, 32, "url(#g)"), defs=defs))


def main(src):
    pain_blocks(src)
    digits(src)
    marker(src)
    spark(src)


if __name__ == "__main__":
    main(sys.argv[1])
