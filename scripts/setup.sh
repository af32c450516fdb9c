#!/usr/bin/env bash
# Installs the Debian packages the build, the game and the tests need, when any is missing. Non-interactive.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang pkg-config
  libsdl2-dev libepoxy-dev libgl1-mesa-dri libx11-dev libxfixes-dev libdbus-1-dev
  libpng-dev libjpeg-dev zlib1g-dev libstb-dev
  libmpg123-dev libvorbis-dev
  libcdio-dev libcdio-cdda-dev libcdio-paranoia-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
  libmeshoptimizer-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libfreetype-dev fonts-dejavu-core
  xvfb xauth xdotool imagemagick xdg-utils jq
  xfonts-base x11-utils openbox procps
  dbus-daemon
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
fi
