#!/usr/bin/env bash
# Runs each fuzzer for a bounded time from its committed seeds.
# Usage: Tools/run-fuzzers.sh BUILD_DIR SECONDS NAME...   (NAME: Script, Image, ...)
# New inputs go to BUILD_DIR/corpus/NAME, never into the committed seeds; a crash leaves its
# input in BUILD_DIR/crashes/NAME and fails the run.
set -euo pipefail
build=$1 seconds=$2
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
failed=0
for name in "$@"; do
  mkdir -p "$build/corpus/$name" "$build/crashes/$name"
  echo "== $name: $seconds s"
  if ! "$build/${name}Fuzz" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 -print_final_stats=1 \
      -artifact_prefix="$build/crashes/$name/" "$build/corpus/$name" "$root/Tests/Fuzz/corpus/$name" \
      > "$build/$name.log" 2>&1; then
    echo "$name: failed; see $build/$name.log and $build/crashes/$name/" >&2
    tail -40 "$build/$name.log" >&2
    failed=1
  else
    grep -E '^stat::number_of_executed_units|^#[0-9]+ *DONE' "$build/$name.log" | tail -2 || true
  fi
done
exit $failed
