#!/usr/bin/env python3
"""Soak: MINUTES of simulated play (drags, tilts, shakes, option visits, suspend and resume) in
one run of the headless program, watching its memory from outside.

    Tools/soak.py RUNNER [--minutes 30] [--seed 1] [--max-growth-mb 64] [--work DIR]

Fails when the run does not end cleanly or when its resident memory in the last quarter of the
run exceeds that of the second quarter by more than the bound (the first quarter is warm-up:
caches, textures, the sanitizer's quarantine filling).
"""
import argparse
import json
import math
import os
import random
import subprocess
import sys
import tempfile
import time


def find_tap(node, text):
    if isinstance(node, dict):
        if node.get("text") == text and "tapPoint" in node:
            return node["tapPoint"]
        children = node.values()
    elif isinstance(node, list):
        children = node
    else:
        return None
    for child in children:
        found = find_tap(child, text)
        if found:
            return found
    return None


def return_point(runner, work, env):
    """Where "Return to Game" is on the options page, from a short run's dump."""
    script = os.path.join(work, "probe.txt")
    dump = os.path.join(work, "probe.json")
    with open(script, "w") as f:
        f.write("at 10\ntap 160 240 2\n")
    subprocess.run([runner, "--frames", "120", "--seed", "1", "--script", script, "--dump", dump,
                    "--data-dir", os.path.join(work, "probe-data")], check=True, env=env,
                   stdout=subprocess.DEVNULL)
    with open(dump) as f:
        point = find_tap(json.load(f)["nodes"], "Return to Game")
    if not point:
        sys.exit("soak: no \"Return to Game\" on the options page")
    return (point["x"], point["y"]) if isinstance(point, dict) else tuple(point[:2])


def write_script(path, frames, rng, back):
    out = []
    frame = 10
    tilt = 0.0

    def at(f, command):
        out.append("at %d" % f)
        out.append(command)

    while frame < frames - 400:
        kind = rng.choices(["drag", "tilt", "shake", "options", "suspend"], [10, 4, 2, 1, 1])[0]
        if kind == "drag":
            x, y = rng.uniform(100, 220), rng.uniform(160, 320)
            at(frame, "touch down 1 %.1f %.1f" % (x, y))
            for _ in range(rng.randint(5, 60)):
                frame += 1
                x = min(319, max(0, x + rng.uniform(-25, 25)))
                y = min(479, max(0, y + rng.uniform(-25, 25)))
                at(frame, "touch move 1 %.1f %.1f" % (x, y))
            frame += 1
            at(frame, "touch up 1 %.1f %.1f 1" % (x, y))
        elif kind == "tilt":
            for _ in range(rng.randint(10, 60)):
                frame += 4
                tilt = max(-1.0, min(1.0, tilt + rng.uniform(-0.2, 0.2)))
                at(frame, "accel %.3f %.3f 0" % (math.sin(tilt), -math.cos(tilt)))
        elif kind == "shake":
            at(frame, "accel 2.5 -1 0.5")
            at(frame + 2, "accel -2.5 -1 -0.5")
            frame += 4
            at(frame, "accel %.3f %.3f 0" % (math.sin(tilt), -math.cos(tilt)))
        elif kind == "options":
            at(frame, "tap 160 240 2")
            frame += rng.randint(90, 240)
            at(frame, "tap %.1f %.1f" % back)
            frame += 90
        else:
            at(frame, "suspend")
            frame += rng.randint(10, 120)
            at(frame, "resume")
        frame += rng.randint(5, 240)
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")


def rss_kib(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("runner")
    parser.add_argument("--minutes", type=float, default=30)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--max-growth-mb", type=float, default=64)
    parser.add_argument("--work")
    args = parser.parse_args()

    work = args.work or tempfile.mkdtemp(prefix="bonzelar-soak-")
    os.makedirs(work, exist_ok=True)
    env = dict(os.environ, SDL_VIDEODRIVER="offscreen", SDL_AUDIODRIVER="dummy")
    # A small quarantine, so freed memory comes back and growth means a leak.
    env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":quarantine_size_mb=16:detect_leaks=0"
    frames = int(args.minutes * 60 * 60)
    back = return_point(args.runner, work, env)
    script = os.path.join(work, "soak.txt")
    write_script(script, frames, random.Random(args.seed), back)

    started = time.monotonic()
    log = open(os.path.join(work, "soak.log"), "w")
    run = subprocess.Popen([args.runner, "--frames", str(frames), "--seed", str(args.seed), "--script", script,
                            "--dump", os.path.join(work, "soak.json"), "--data-dir", os.path.join(work, "data")],
                           env=env, stdout=subprocess.DEVNULL, stderr=log)
    samples = []
    while run.poll() is None:
        kib = rss_kib(run.pid)
        if kib:
            samples.append(kib)
        time.sleep(0.5)
    seconds = time.monotonic() - started
    if run.returncode != 0:
        log.close()
        with open(os.path.join(work, "soak.log")) as f:
            sys.stderr.write(f.read()[-4000:])
        sys.exit("soak: the run ended with status %d" % run.returncode)
    with open(os.path.join(work, "soak.json")) as f:
        end = json.load(f)
    if end["frame"] != frames:
        sys.exit("soak: the run stopped at frame %s of %d" % (end["frame"], frames))
    quarter = max(1, len(samples) // 4)
    early = max(samples[quarter:2 * quarter] or samples)
    late = max(samples[-quarter:])
    growth_mb = (late - early) / 1024.0
    print("soak: %d frames (%.0f simulated minutes) in %.0f s; resident %.0f MB after warm-up, %.0f MB at the end"
          % (frames, args.minutes, seconds, early / 1024.0, late / 1024.0))
    if growth_mb > args.max_growth_mb:
        sys.exit("soak: memory grew by %.0f MB, more than %.0f MB" % (growth_mb, args.max_growth_mb))


if __name__ == "__main__":
    main()
