#!/usr/bin/env bash
# Installs the Debian 12 packages Bonzelar needs to build, run and test, skipping those present.
# Usage: Tools/install-deps.sh [--resources]   (--resources adds the tools behind `make resources`)
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  dpkg-dev
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev libsdl2-mixer-dev
  libgles-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libfontconfig-dev fonts-liberation2
  libsqlite3-dev nettle-dev nlohmann-json3-dev
  libgtest-dev googletest
  xvfb xauth
)
if [[ "${1:-}" == "--resources" ]]; then
  packages+=(librsvg2-bin sox espeak-ng imagemagick python3)
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
  [[ "$status" == ii* ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
