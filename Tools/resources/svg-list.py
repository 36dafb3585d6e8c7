#!/usr/bin/env python3
"""Lists the SVG sources that render generically: path, width and height in points, tab-separated.

An SVG whose root <svg> has no width or height (only a viewBox) is left to a family step.
"""
import os
import re
import sys
import xml.etree.ElementTree as ET


def root_size(path):
    for _, elem in ET.iterparse(path, events=("start",)):
        w, h = elem.get("width"), elem.get("height")
        if w is None or h is None:
            return None
        return points(w, path), points(h, path)
    return None


def points(value, path):
    # One point is one pixel at 1x; "px" and "pt" are both read as points.
    m = re.fullmatch(r"\s*([0-9]+(?:\.0*)?)\s*(px|pt)?\s*", value)
    if not m:
        sys.exit(f"svg-list: {path}: size {value!r} is not a whole number of points")
    return int(float(m.group(1)))


def main(src):
    names = {}
    for dirpath, dirnames, filenames in os.walk(src):
        dirnames.sort()
        for f in sorted(filenames):
            if not f.endswith(".svg"):
                continue
            path = os.path.join(dirpath, f)
            size = root_size(path)
            if size is None:
                continue
            base = f[:-4]
            if base in names:
                sys.exit(f"svg-list: {path} and {names[base]} would both render Resources/{base}.png")
            names[base] = path
            print(f"{path}\t{size[0]}\t{size[1]}")


if __name__ == "__main__":
    main(sys.argv[1])
