#!/usr/bin/env bash
# Regenerates every picture and sound in Resources/ from Resources/Source/.
#
# Contract for picture sources: every Resources/Source/**/*.svg whose root <svg> carries a width and
# height (in points) renders to Resources/<basename>.png at that size and Resources/<basename>@2x.png
# at twice the pixels. An SVG with only a viewBox is left to a family step (Tools/resources/step-*.sh).
# Generators (Tools/resources/gen-*.py) write their SVGs first; those are committed too.
# Output is byte-identical from run to run.
#
# Usage: Tools/make-resources.sh            regenerate into Resources/
#        Tools/make-resources.sh --verify   regenerate into a scratch copy and report any file that
#                                           differs from the one in Resources/ (exit 1 if any)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
src="$root/Resources/Source"
tools="$root/Tools"

if [[ "${1:-}" == "--verify" ]]; then
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  mkdir -p "$scratch/Resources" "$scratch/Tools"
  cp -r "$src" "$scratch/Resources/Source"
  cp -r "$tools/." "$scratch/Tools/"
  "$scratch/Tools/make-resources.sh"
  status=0
  for f in "$scratch"/Resources/*.png "$scratch"/Resources/*.aif "$scratch"/Resources/*.wav; do
    [[ -e "$f" ]] || continue
    name=$(basename "$f")
    if ! cmp -s "$f" "$root/Resources/$name"; then
      echo "differs: Resources/$name"
      status=1
    fi
  done
  for f in "$root"/Resources/*.png "$root"/Resources/*.aif "$root"/Resources/*.wav; do
    [[ -e "$f" ]] || continue
    name=$(basename "$f")
    if [[ ! -e "$scratch/Resources/$name" ]]; then
      echo "made by no source: Resources/$name"
      status=1
    fi
  done
  [[ $status -eq 0 ]] && echo "every regenerated file matches the one in Resources/"
  exit $status
fi

out="$root/Resources"
jobs=2   # the build machines are shared; never more than two renderers at once
export LC_ALL=C TZ=UTC SOURCE_DATE_EPOCH=0

for tool in rsvg-convert convert montage sox espeak-ng python3; do
  command -v "$tool" >/dev/null || { echo "make-resources: $tool is missing (Tools/install-deps.sh --resources)" >&2; exit 1; }
done

# --- 1. Family generators write their SVG sources (committed too, so reviewers see plain SVG) ----
for gen in "$tools"/resources/gen-*.py; do
  [[ -e "$gen" ]] || continue
  python3 "$gen" "$src"
done

# --- 2. Every sized SVG to 1x and 2x PNG -------------------------------------------------------
# shellcheck source=resources/common.sh
source "$tools/resources/common.sh"
export -f render png_out

python3 "$tools/resources/svg-list.py" "$src" >"$out/.render-list"
while IFS=$'\t' read -r svg w h; do
  base=$(basename "$svg" .svg)
  printf '%s\t%s\t%s\t%s\n' "$svg" "$w" "$h" "$out/$base.png"
  printf '%s\t%s\t%s\t%s\n' "$svg" "$((w * 2))" "$((h * 2))" "$out/$base@2x.png"
done <"$out/.render-list" |
  xargs -P "$jobs" -d '\n' -n 1 bash -c 'IFS=$'"'"'\t'"'"' read -r s w h o <<<"$0"; render "$s" "$w" "$h" "$o"'
rm -f "$out/.render-list"

# --- 3. Families rendered by their own steps (thumbnails, icon, sounds, contact sheet) ----------
for step in "$tools"/resources/step-*.sh; do
  [[ -e "$step" ]] || continue
  ROOT="$root" SRC="$src" OUT="$out" bash "$step"
done

echo "make-resources: done"
