#!/usr/bin/env bash
# Installs the development-only Python packages the accuracy harness draws charts
# with; the program itself never needs them. Does nothing when they are present.
set -euo pipefail
pkgs=(python3 python3-matplotlib python3-numpy python3-pil)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
