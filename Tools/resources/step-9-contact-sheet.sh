# Resources/contact-sheet.png: every 1x picture (figures included) with its name, on a grey
# that shows both dark outlines and transparent edges.
set -euo pipefail
source "$ROOT/Tools/resources/common.sh"
cd "$OUT"
mapfile -t pictures < <(ls -1 ./*.png | sed 's|^\./||' | grep -v -e '@2x\.png$' -e '^contact-sheet\.png$' | LC_ALL=C sort)
montage -background '#8a8f9e' -fill '#1a1a1a' -font Liberation-Sans -pointsize 9 -label '%t' \
  "${pictures[@]}" -tile 6x -geometry '150x150>+24+8' "$OUT/.contact-sheet.png"
png_out "$OUT/.contact-sheet.png" "$OUT/contact-sheet.png"
rm -f "$OUT/.contact-sheet.png"
