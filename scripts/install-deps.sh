#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, run and test.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6opengl6-dev
  libqcustomplot-dev libqcustomplot2.1-qt6
  libquazip1-qt6-dev libpugixml-dev
  libbenchmark-dev
  fonts-noto-cjk fonts-dejavu-core xvfb xauth
  python3-openpyxl
  poppler-utils
  clang-format-14
  clang-14 libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
