#!/usr/bin/env bash
# The scripted minute of play (play-60s.script) in the headless runner at scale 1 and 2: median
# and 99th-percentile wall-clock time per frame, drawing included, to set beside the browser's
# (BONZELAR_WEB_BENCH_SECONDS=60 make web-check).
# Usage: Tools/bench/play-native.sh [BUILD]
set -euo pipefail
build=${1:-build}
dir=$(dirname "$0")
times=$(mktemp)
trap 'rm -f "$times"' EXIT
for scale in 1 2; do
  SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$build/bonzelar-headless" --seed 1 --frames 3600 \
    --scale "$scale" --script "$dir/play-60s.script" --frame-times "$times"
  python3 - "$scale" "$times" <<'EOF'
import sys
t = sorted(float(x) for x in open(sys.argv[2]))
p99 = t[min(len(t) - 1, int(len(t) * 0.99))]
print(f"scale {sys.argv[1]}: {len(t)} frames, median {t[len(t) // 2]:.2f} ms, 99th percentile {p99:.2f} ms")
EOF
done
