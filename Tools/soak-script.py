#!/usr/bin/env python3
"""Writes a headless script of random drags and tilts, for long soak runs.

    Tools/soak-script.py FRAMES SEED > soak.txt
    build/bonzelar-headless --frames FRAMES --seed SEED --script soak.txt --dump soak.json
"""
import math
import random
import sys


def main():
    frames = int(sys.argv[1]) if len(sys.argv) > 1 else 36000
    rng = random.Random(int(sys.argv[2]) if len(sys.argv) > 2 else 1)
    out = ["# random drags and tilts, %d frames" % frames]
    frame = 10
    tilt = 0.0
    while frame < frames - 120:
        # A drag near the middle of the screen, where the camera keeps the figure.
        x, y = rng.uniform(100, 220), rng.uniform(160, 320)
        out.append("at %d" % frame)
        out.append("touch down 1 %.1f %.1f" % (x, y))
        steps = rng.randint(5, 60)
        for _ in range(steps):
            frame += 1
            x = min(319, max(0, x + rng.uniform(-25, 25)))
            y = min(479, max(0, y + rng.uniform(-25, 25)))
            out.append("at %d" % frame)
            out.append("touch move 1 %.1f %.1f" % (x, y))
            if frame % 4 == 0:
                tilt = max(-1.0, min(1.0, tilt + rng.uniform(-0.2, 0.2)))
                out.append("accel %.3f %.3f 0" % (math.sin(tilt), -math.cos(tilt)))
        frame += 1
        out.append("at %d" % frame)
        out.append("touch up 1 %.1f %.1f %d" % (x, y, 1))
        frame += rng.randint(10, 240)
    print("\n".join(out))


if __name__ == "__main__":
    main()
