#!/usr/bin/env bash
# Installs the Debian packages plotsnap needs to build, run and test; does nothing
# when they are all present. Runs apt-get as root (or through sudo).
set -euo pipefail
pkgs=(cmake g++ make pkg-config ccache libwxgtk3.2-dev libopencv-core-dev libopencv-imgproc-dev
      libtesseract-dev tesseract-ocr-eng libgtest-dev xvfb xauth xdotool xclip libx11-dev)
pkgs+=(nlohmann-json3-dev libpng-dev libjpeg-dev)  # project files (JSON, embedded PNG); PNG and JPEG pictures
pkgs+=(libwebp-dev clang libclang-rt-14-dev)  # WebP pictures; the sanitizer and fuzz build
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
