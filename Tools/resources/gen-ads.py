#!/usr/bin/env python3
"""Writes the house adverts shown in the banner slot, HouseAd1.svg to HouseAd4.svg (320 x 48)."""
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
from artkit import INK, circle, path, ragdoll, rect, svg, write  # noqa: E402

W, H = 320, 48
TEXT = ('font-family="Liberation Sans" font-weight="bold" fill="#ffffff" stroke="{ink}" stroke-linejoin="round" '
        'paint-order="stroke"').format(ink=INK)


def banner(top, bottom, art, headline, tagline):
    defs = (f'<linearGradient id="bg" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="{top}"/>'
            f'<stop offset="1" stop-color="{bottom}"/></linearGradient>'
            f'<clipPath id="inside"><rect x="1.5" y="1.5" width="{W - 3}" height="{H - 3}" rx="7"/></clipPath>')
    body = rect(0, 0, W, H, INK) + rect(1.5, 1.5, W - 3, H - 3, "url(#bg)", rx=7)
    body += '<g clip-path="url(#inside)">\n' + art + "</g>\n"
    body += f'<text x="78" y="22" font-size="17" stroke-width="4" {TEXT}>{headline}</text>\n'
    body += f'<text x="78" y="39" font-size="11.5" stroke-width="3" {TEXT}>{tagline}</text>\n'
    body += rect(1.5, 1.5, W - 3, H - 3, "none", rx=7, stroke=INK, sw=3)
    return svg(W, H, body, defs=defs)


def narwhal_art():
    a = path("M8 34 Q10 14 36 16 Q56 18 60 30 Q62 40 44 44 Q20 48 8 34 Z", "#6fa8dc", stroke=INK, sw=2.5)
    a += path("M10 32 Q2 24 2 18 Q8 22 12 26", "#6fa8dc", stroke=INK, sw=2)
    a += path("M58 24 L74 8", "none", stroke="#ff5a4f", sw=7, extra=' stroke-opacity="0.45"')
    a += path("M58 24 L74 8", "none", stroke="#ffe0dc", sw=3)
    a += circle(46, 26, 2.4, INK)
    a += path("M20 40 Q32 44 44 40", "none", stroke="#ffffff", sw=2, extra=' stroke-opacity="0.5"')
    return a


def face_art():
    a = ragdoll(36, 34, 0.72, -12, shirt="#f27b6b")
    a += rect(48, 6, 22, 16, "#fff6dc", rx=3, stroke=INK, sw=2)
    a += circle(59, 14, 4.5, "#3b3470", stroke=INK, sw=1.5) + rect(51, 3.5, 7, 4, "#fff6dc", rx=1, stroke=INK, sw=1.5)
    return a


def balls_art():
    a = circle(20, 30, 15, "#e8483f", stroke=INK, sw=2.5) + path("M7 27 Q20 20 34 28", "none", stroke="#ffd23f", sw=4)
    a += circle(46, 16, 11, "#3a8fe0", stroke=INK, sw=2.5) + circle(58, 36, 9, "#d4e94a", stroke=INK, sw=2.5)
    a += circle(16, 24, 3, "#ffffff", extra=' fill-opacity="0.6"') + circle(43, 12, 2.5, "#ffffff", extra=' fill-opacity="0.6"')
    return a


def tilt_art():
    a = ('<g transform="rotate(-20 36 24)">' + rect(26, 4, 22, 40, "#3b3470", rx=4, stroke=INK, sw=2.5)
         + rect(29, 9, 16, 28, "#9fd6ef", rx=1.5) + circle(37, 40, 1.6, "#ffffff") + "</g>\n")
    a += path("M8 14 Q4 30 14 40", "none", stroke=INK, sw=5) + path("M8 14 Q4 30 14 40", "none", stroke="#ffd23f", sw=2.5)
    a += path("M10 36 L14 42 L18 35", "none", stroke=INK, sw=2)
    a += circle(62, 38, 6, "#ffb12e", stroke=INK, sw=2)
    return a


ADS = [
    ("#5b8ff0", "#3b5fc0", narwhal_art, "Meet the Narwhal!", "Shake the device to light its saber"),
    ("#f58a7a", "#d05a5a", face_art, "Your face on the ragdoll", "Pick a photo under Display Options"),
    ("#4fbf8a", "#2f8f64", balls_art, "12 balls, 12 worlds", "Swap them under Display Options"),
    ("#9a7fd6", "#6b4fa0", tilt_art, "Tilt to turn gravity", "Switch it on under Physics Options"),
]


def main(src):
    for i, (top, bottom, art, headline, tagline) in enumerate(ADS, start=1):
        write(os.path.join(src, "ads", f"HouseAd{i}.svg"), banner(top, bottom, art(), headline, tagline))


if __name__ == "__main__":
    main(sys.argv[1])
