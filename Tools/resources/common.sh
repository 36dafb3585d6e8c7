# Helpers shared by make-resources.sh and its steps (sourced, not run).

# png_out INPUT OUTPUT [convert options...]: re-encode as 8-bit RGBA without text or time chunks,
# so the same input gives the same bytes on every run.
png_out() {
  local in=$1 out=$2
  shift 2
  convert "$in" "$@" -strip -define png:exclude-chunks=date,time,tIME,tEXt,zTXt,iTXt,bKGD \
    -define png:compression-level=9 -define png:compression-strategy=1 PNG32:"$out"
}

# render SVG WIDTH HEIGHT OUTPUT.png
render() {
  rsvg-convert --format=png --width="$2" --height="$3" --background-color=none "$1" | png_out png:- "$4"
}
