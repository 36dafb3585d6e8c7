#!/usr/bin/env python3
"""Puts the browser version together: web-package.py BUILD OUT.

BUILD holds bonzelar.js and bonzelar.wasm from the emscripten build. OUT gets the page, the
program, the resources and resources.json, which tells the page which files to fetch: the
common ones plus the pictures of one scale (x1 or x2), never both.
"""
import aifc
import hashlib
import json
import shutil
import sys
import wave
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
PAGE = ROOT / "Source/Platform/Web/page"
RESOURCES = ROOT / "Resources"
# Only for the desktop or for regenerating pictures; the icons go to icons/.
LEFT_OUT = {"contact-sheet.png"}


def aiff_to_wav(source, target):
    # Browsers decode WAV everywhere, AIFF hardly anywhere.
    with aifc.open(str(source), "rb") as a:
        channels, width, rate, frames = a.getnchannels(), a.getsampwidth(), a.getframerate(), a.getnframes()
        data = a.readframes(frames)
    # AIFF samples are big-endian, WAV's little-endian; 8-bit AIFF is signed, 8-bit WAV unsigned.
    if width == 1:
        data = bytes((b + 128) & 0xFF for b in data)
    else:
        data = b"".join(data[i:i + width][::-1] for i in range(0, len(data), width))
    with wave.open(str(target), "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(width)
        w.setframerate(rate)
        w.writeframes(data)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: web-package.py BUILD OUT")
    build, out = Path(sys.argv[1]), Path(sys.argv[2])
    for name in ("bonzelar.js", "bonzelar.wasm"):
        if not (build / name).is_file():
            sys.exit(f"web-package.py: {build / name} is missing")
    if out.exists():
        shutil.rmtree(out)
    (out / "Resources").mkdir(parents=True)
    (out / "icons").mkdir()

    listing = {"common": [], "x1": [], "x2": []}
    names = sorted(p.name for p in RESOURCES.iterdir() if p.is_file())
    present = set(names)
    for name in names:
        source = RESOURCES / name
        if name in LEFT_OUT:
            continue
        if name.startswith("Icon-"):
            shutil.copy2(source, out / "icons" / name)
            continue
        if name.endswith(".aif"):
            target = name[:-4] + ".wav"
            aiff_to_wav(source, out / "Resources" / target)
            listing["common"].append(target)
            continue
        shutil.copy2(source, out / "Resources" / name)
        stem, dot, extension = name.rpartition(".")
        if stem.endswith("@2x"):
            listing["x2"].append(name)
        elif f"{stem}@2x.{extension}" in present:
            listing["x1"].append(name)
        else:
            listing["common"].append(name)
    (out / "resources.json").write_text(json.dumps(listing, indent=1) + "\n")

    for name in ("bonzelar.js", "bonzelar.wasm"):
        shutil.copy2(build / name, out / name)
    for page in PAGE.iterdir():
        shutil.copy2(page, out / page.name)

    # A new cache for every build, so players never mix old and new files.
    digest = hashlib.sha256()
    for path in sorted(out.rglob("*")):
        if path.is_file() and path.name != "sw.js":
            digest.update(path.name.encode())
            digest.update(path.read_bytes())
    sw = out / "sw.js"
    sw.write_text(sw.read_text().replace("@VERSION@", digest.hexdigest()[:16]))


if __name__ == "__main__":
    main()
