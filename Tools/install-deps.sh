#!/usr/bin/env bash
# Installs the Debian 12 packages Bonzelar needs to build, run and test, skipping those present.
# Usage: Tools/install-deps.sh [--resources] [--web] [--no-tests]
#   --resources adds the tools behind `make resources`; --web the browser build and its test;
#   --no-tests leaves out GoogleTest, Xvfb and the metadata validators.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  dpkg-dev
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev libsdl2-mixer-dev
  libgles-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libfontconfig-dev fonts-liberation2
  libsqlite3-dev nettle-dev nlohmann-json3-dev libpng-dev libjpeg62-turbo-dev
)
tests=(libgtest-dev googletest xvfb xauth appstream appstream-util desktop-file-utils)
for option in "$@"; do
  case "$option" in
    --no-tests) tests=() ;;
    --resources) packages+=(librsvg2-bin sox espeak-ng imagemagick python3) ;;
    # Debian's emscripten brings clang 14 and prebuilt browser libraries; nodejs (and npm for
    # puppeteer-core) may already come from elsewhere, so they are only added when missing.
    --web)
      packages+=(emscripten node-acorn binaryen libstb-dev python3 chromium)
      command -v node >/dev/null || packages+=(nodejs)
      command -v npm >/dev/null || packages+=(npm)
      ;;
    *) echo "usage: $0 [--resources] [--web] [--no-tests]" >&2; exit 2 ;;
  esac
done
packages+=("${tests[@]}")

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
