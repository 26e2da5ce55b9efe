#!/usr/bin/env bash
# Installs everything Terranox needs to build, test and run, from Debian's
# packages. Safe to run again: packages already present are not touched.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-multimedia-dev
  libqt6svg6
  libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils
  libjpeg-dev libpng-dev libmpg123-dev libnetcdf-dev libkissfft-dev libxcb1-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-xserver-utils x11-utils openbox fonts-liberation
  libxkbcommon-x11-0 libxcb-cursor0 libxcb-icccm4 libxcb-image0 libxcb-keysyms1
  libxcb-randr0 libxcb-render-util0 libxcb-shape0 libxcb-xinerama0 libxcb-xkb1
  pulseaudio ca-certificates libssl3 xdotool
  lame twolame mpg123
  desktop-file-utils appstream dpkg-dev
  geographiclib-tools
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# The data sources come partly from npm. Machines that already carry Node.js
# from elsewhere have npm with it; Debian's npm would conflict there.
if ! command -v npm >/dev/null 2>&1; then
  missing+=(npm)
fi

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq >/dev/null
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
