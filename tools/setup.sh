#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with. Idempotent: apt-get
# runs only when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config binutils python3
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  zlib1g-dev libopencv-core-dev libopencv-imgproc-dev
  # (OpenCV's CMake package, OpenCVConfig.cmake, comes only with the whole of OpenCV)
  libopencv-dev
  libtbb-dev
  libpng-dev libjpeg62-turbo-dev libtiff-dev libgif-dev libimagequant-dev
  libmypaint-dev imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
