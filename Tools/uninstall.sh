#!/usr/bin/env bash
# Removes what `make install` put under PREFIX, and the folders that leaves empty.
# Usage: Tools/uninstall.sh BUILD_DIR PREFIX
# The list of files comes from installing the same build into a scratch folder, so it holds
# whichever prefix was used and whether or not an install manifest is still around.
set -euo pipefail
[[ $# -eq 2 ]] || { echo "usage: $0 BUILD_DIR PREFIX" >&2; exit 2; }
build=$1
prefix=${2%/}
[[ -n "$prefix" && "$prefix" == /* ]] || { echo "$0: PREFIX must be an absolute path" >&2; exit 2; }

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix "$prefix" >/dev/null

removed=0
while IFS= read -r -d '' staged; do
  target=${staged#"$stage"}
  if [[ -e "$target" || -L "$target" ]]; then
    rm -f -- "$target"
    removed=$((removed + 1))
  fi
done < <(find "$stage" \( -type f -o -type l \) -print0)

# Deepest folders first; only those the install could have made, and only when empty.
while IFS= read -r -d '' dir; do
  target=${dir#"$stage"}
  [[ -n "$target" && -d "$target" ]] && rmdir --ignore-fail-on-non-empty -- "$target"
done < <(find "$stage" -mindepth 1 -type d -print0 | sort -rz)
echo "Removed $removed files from $prefix"
