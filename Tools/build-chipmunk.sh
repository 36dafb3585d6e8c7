#!/usr/bin/env bash
# Builds Chipmunk 7.0.3 from Debian's source package as a static release library.
# Usage: Tools/build-chipmunk.sh native|web OUT
#   native: the system C compiler (CC, default cc) and ar
#   web:    emcc and emar (Debian's emscripten package)
# Produces OUT/include/chipmunk/*.h and OUT/lib/libchipmunk.a.
#
# Debian's libchipmunk is built without NDEBUG: it prints a debug banner on the first space and
# its debug assertions abort the process. Built here with NDEBUG, neither happens; the library's
# hard assertions (which guard against certain memory corruption) stay.
#
# Results are cached under ${XDG_CACHE_HOME:-~/.cache}/bonzelar/chipmunk, keyed by this script,
# the mode and the compiler, so a rebuild only copies files.
set -euo pipefail

usage() { echo "usage: $0 native|web OUT" >&2; exit 2; }
[[ $# -eq 2 ]] || usage
mode=$1
out=$2
version=7.0.3

case "$mode" in
  native) cc=${CC:-cc}; ar=${AR:-ar}; cflags=(-O2 -fPIC) ;;
  web) cc=emcc; ar=emar; cflags=(-O2) ;;
  *) usage ;;
esac
command -v "$cc" >/dev/null || { echo "$0: $cc not found" >&2; exit 1; }
cflags+=(-std=gnu99 -DNDEBUG -w)

cache_root=${XDG_CACHE_HOME:-$HOME/.cache}/bonzelar/chipmunk
key=$( { cat "$0"; echo "$mode ${cflags[*]}"; "$cc" --version 2>/dev/null | sed -n 1p; } | sha256sum | cut -c1-16)
cached=$cache_root/$mode-$key

install_into() {
  mkdir -p "$out/include" "$out/lib"
  rm -rf "$out/include/chipmunk"
  cp -R "$cached/include/chipmunk" "$out/include/"
  cp "$cached/lib/libchipmunk.a" "$out/lib/"
}

if [[ -f "$cached/lib/libchipmunk.a" ]]; then
  install_into
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The source package is fetched once and shared by both modes.
src_cache=$cache_root/source-$version
if [[ ! -f "$src_cache/include/chipmunk/chipmunk.h" ]]; then
  # apt-get source needs a deb-src line. It is given for this call only, with its own index
  # and cache folders, so the machine's package sources and lists stay as they are.
  mirror=${BONZELAR_DEBIAN_MIRROR:-http://deb.debian.org/debian}
  apt_dir=$work/apt
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts"
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main" \
    >"$apt_dir/sources.list"
  apt_opts=(
    -o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/parts"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir/cache"
    -o "APT::Sandbox::User=$(id -un)"
  )
  echo "Fetching Chipmunk's Debian source package" >&2
  apt-get "${apt_opts[@]}" -qq update
  (cd "$work" && apt-get "${apt_opts[@]}" -qq source chipmunk >/dev/null)
  tree=$(find "$work" -maxdepth 1 -type d -name 'chipmunk-*' | head -n 1)
  [[ -n "$tree" && -f "$tree/include/chipmunk/chipmunk.h" ]] ||
    { echo "$0: no Chipmunk source tree in the package" >&2; exit 1; }
  grep -q "CP_VERSION_RELEASE 3" "$tree/include/chipmunk/chipmunk.h" &&
    grep -q "CP_VERSION_MAJOR 7" "$tree/include/chipmunk/chipmunk.h" ||
    { echo "$0: Debian's package is not Chipmunk $version" >&2; exit 1; }
  rm -rf "$src_cache"
  mkdir -p "$src_cache"
  cp -R "$tree/include" "$tree/src" "$src_cache/"
fi

# cpHastySpace, the threaded solver, is left out: the game steps one plain space on one thread.
build=$work/build
mkdir -p "$build"
sources=()
for f in "$src_cache"/src/*.c; do
  [[ $(basename "$f") == cpHastySpace.c ]] || sources+=("$f")
done
# Messages of the hard assertions name source files: relative names, no build machine paths.
cflags+=("-ffile-prefix-map=$src_cache=chipmunk-$version")
for f in "${sources[@]}"; do
  "$cc" "${cflags[@]}" -I"$src_cache/include" -c "$f" -o "$build/$(basename "$f" .c).o"
done
rm -f "$build/libchipmunk.a"
"$ar" rcs "$build/libchipmunk.a" "$build"/*.o

staged=$work/staged
mkdir -p "$staged/include" "$staged/lib"
cp -R "$src_cache/include/chipmunk" "$staged/include/"
cp "$build/libchipmunk.a" "$staged/lib/"
mkdir -p "$cache_root"
rm -rf "$cached"
mv "$staged" "$cached"
install_into
echo "Chipmunk $version ($mode, release) in $out" >&2
