#!/usr/bin/env bash
# Installs the Debian packages the editor and its tests need, skipping the step when all are
# present. Uses sudo when not run as root.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-multimedia-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins
    libsdl2-dev libsdl2-mixer-dev libgif-dev libturbojpeg0-dev
    libgtest-dev libbenchmark-dev
    ffmpeg vorbis-tools chromium fonts-dejavu-core
    qt6-translations-l10n xvfb x11-utils
    clang libclang-rt-14-dev libfuzzer-14-dev
)
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
