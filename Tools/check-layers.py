#!/usr/bin/env python3
"""Includes the wrong way must not compile: each probe is compiled with the exact command of a
real file of that layer (from compile_commands.json) and must fail for the reason given, while
the same command with a lawful include compiles."""
import json
import shlex
import subprocess
import sys
import tempfile
from pathlib import Path

build = Path(sys.argv[1])
commands = {Path(e["file"]).as_posix(): e for e in json.loads((build / "compile_commands.json").read_text())}

# (a file of the layer, include line, None when it must compile or the message it must fail with)
PROBES = [
    ("Source/Engine/Scene.cpp", '#include "Engine/Node.h"', None),
    ("Source/Engine/Scene.cpp", '#include "Classes/Game.h"', "Classes/Game.h"),
    ("Source/Engine/Scene.cpp", '#include "Tooling/Script.h"', "Tooling/Script.h"),
    ("Source/Engine/Scene.cpp", '#include "Platform/SdlHost.h"', "Platform/SdlHost.h"),
    ("Source/Classes/Queue.cpp", '#include "Classes/Game.h"', None),
    ("Source/Classes/Queue.cpp", "#include <SDL2/SDL.h>", "Only the hosts"),
    ("Source/Classes/Queue.cpp", "#include <SDL.h>", "SDL.h"),
    ("Source/Classes/Queue.cpp", '#include "Tooling/DumpRegistry.h"', "Tooling/DumpRegistry.h"),
    ("Source/Platform/SqliteStore.cpp", "#include <SDL2/SDL.h>", None),
    ("Source/Platform/SqliteStore.cpp", '#include "Engine/Node.h"', "Engine/Node.h"),
]

failures = 0
with tempfile.TemporaryDirectory() as tmp:
    for index, (owner, line, reason) in enumerate(PROBES):
        entry = next((e for f, e in commands.items() if f.endswith("/" + owner)), None)
        if entry is None:
            print(f"no compile command for {owner}")
            failures += 1
            continue
        probe = Path(tmp) / f"probe{index}.cpp"
        probe.write_text(line + "\n")
        args = shlex.split(entry["command"])
        out = args.index("-o")
        del args[out : out + 2]
        args[args.index("-c") + 1] = str(probe)
        args.append("-fsyntax-only")
        result = subprocess.run(args, cwd=entry["directory"], capture_output=True, text=True)
        if reason is None:
            ok = result.returncode == 0
        else:
            ok = result.returncode != 0 and reason in result.stderr
        print(f"{'ok  ' if ok else 'FAIL'} {owner}: {line} -> {'compiles' if result.returncode == 0 else 'refused'}")
        if not ok:
            print(result.stderr[:2000])
            failures += 1
sys.exit(1 if failures else 0)
