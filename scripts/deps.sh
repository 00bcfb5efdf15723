#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Gemino need, and any
# further packages named on the command line (the packaging and screenshot scripts name theirs).
# Does nothing when they are all present; runs apt-get update first when something is missing.
# Usage: scripts/deps.sh [package...]
set -euo pipefail

packages=(
    build-essential cmake ninja-build clang libclang-rt-14-dev
    qt6-base-dev qt6-svg-dev qt6-multimedia-dev qt6-image-formats-plugins qt6-qpa-plugins
    libgl-dev zlib1g-dev fonts-comic-neue fonts-liberation2
    # The accessibility tests switch Qt's accessibility on as a screen reader would.
    qt6-base-private-dev
    # The tools that made the icon fixtures, for regenerating them and for the icon bench.
    icoutils binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    xvfb xauth imagemagick
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ "${#missing[@]}" -eq 0 ]; then
    exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
