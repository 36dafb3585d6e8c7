# The application icon for the desktop's hicolor theme: Icon-48.png, Icon-128.png, Icon-256.png.
set -euo pipefail
source "$ROOT/Tools/resources/common.sh"
for px in 48 128 256; do
  render "$SRC/icon.svg" $px $px "$OUT/Icon-$px.png"
done
