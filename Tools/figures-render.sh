#!/usr/bin/env bash
# Regenerates the figure SVGs and renders only those pictures, with the resource pipeline's own
# renderer, so the PNGs are the bytes `make resources` would write. Quicker than a full run while
# drawing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
python3 "$root/Tools/figures-svg.py" "$@"
source "$root/Tools/resources/common.sh"
export -f render png_out
python3 "$root/Tools/resources/svg-list.py" "$root/Resources/Source/figures" |
  while IFS=$'\t' read -r svg w h; do
    base="$root/Resources/$(basename "$svg" .svg)"
    printf '%s\t%s\t%s\t%s\n' "$svg" "$w" "$h" "$base.png" "$svg" "$((w * 2))" "$((h * 2))" "$base@2x.png"
  done |
  xargs -P 2 -d '\n' -n 1 bash -c 'IFS=$'"'"'\t'"'"' read -r s w h o <<<"$0"; render "$s" "$w" "$h" "$o"'
