#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test zibo.
# Does nothing when everything is already there; needs root (or sudo) otherwise.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build
  libsdl2-dev libx11-dev libsndfile1-dev libsoxr-dev libkissfft-dev
  libgl1-mesa-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libgtest-dev googletest libpng-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick xfonts-base python3
  xserver-xorg-core xserver-xorg-video-dummy openbox libxtst6 libxrandr2
  ffmpeg sox
  libpulse-dev pulseaudio pulseaudio-utils
  dpkg-dev lintian desktop-file-utils man-db appstream
  emscripten chromium
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}" >&2
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
