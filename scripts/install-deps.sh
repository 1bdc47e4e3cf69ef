#!/usr/bin/env bash
# Installs every Debian package the project needs that is not there yet.
# Quick when everything is present: it asks dpkg first and apt only when needed.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libsdl2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-apps imagemagick python3
)
if [[ "${ZARNOK_WITH_CROSS:-0}" == 1 ]]; then
  packages+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64)
fi
if [[ "${ZARNOK_WITH_WINE:-0}" == 1 ]]; then
  packages+=(wine64)
fi
if [[ "${ZARNOK_WITH_PACKAGING:-0}" == 1 ]]; then
  packages+=(dpkg-dev fakeroot file lintian desktop-file-utils appstream)
fi
if [[ "${ZARNOK_WITH_BENCH:-0}" == 1 ]]; then
  packages+=(libxdamage-dev libxtst-dev)
fi
if [[ "${ZARNOK_WITH_CLANG:-0}" == 1 ]]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
