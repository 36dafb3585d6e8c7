# Selector thumbnails (60 x 60 and 120 x 120): "<Name>_thumb.png" for every background and ball,
# made from the rendered 2x pictures so the 1x thumbnail is a clean downscale.
set -euo pipefail
source "$ROOT/Tools/resources/common.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for scale in 1 2; do
  px=$((60 * scale))
  rsvg-convert -w $px -h $px --background-color=black "$SRC/thumbs/thumb-mask.svg" | png_out png:- "$tmp/mask$scale.png" -alpha off -colorspace gray
  rsvg-convert -w $px -h $px --background-color=none "$SRC/thumbs/thumb-frame.svg" -o "$tmp/frame$scale.png"
  rsvg-convert -w $px -h $px --background-color=none "$SRC/thumbs/ball-tile.svg" -o "$tmp/tile$scale.png"
done

suffix() { [[ $1 == 1 ]] && echo "" || echo "@2x"; }

thumb() {   # thumb NAME SCALE PICTURE-PREPARED.png
  local name=$1 scale=$2
  png_out "$3" "$OUT/${name}_thumb$(suffix "$scale").png" \
    "$tmp/mask$scale.png" -alpha off -compose CopyOpacity -composite \
    "$tmp/frame$scale.png" -compose Over -composite
}

for i in $(seq 1 12); do
  name=Background$i
  for scale in 1 2; do
    px=$((60 * scale))
    # The middle square of the portrait picture: what the figure falls past most of the time.
    convert "$OUT/$name@2x.png" -gravity center -crop 640x640+0+0 +repage -filter Lanczos -resize ${px}x${px} \
      -alpha off "$tmp/pic.png"
    thumb "$name" "$scale" "$tmp/pic.png"
  done
  name=Ball$i
  for scale in 1 2; do
    px=$((60 * scale)); ball=$((46 * scale)); off=$((6 * scale))
    convert "$OUT/$name@2x.png" -filter Lanczos -resize ${ball}x${ball} "$tmp/ball.png"
    convert "$tmp/tile$scale.png" "$tmp/ball.png" -gravity north -geometry +0+$off -compose Over -composite \
      -alpha off "$tmp/pic.png"
    thumb "$name" "$scale" "$tmp/pic.png"
  done
done
