#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine needs to build and test
# PC-Vigilor, and prepares Qt 6 for the mingw-w64 target. Safe to run again:
# packages already present are skipped and Qt comes from its cache.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)

packages=(
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  cmake ninja-build googletest
  wine wine64 fonts-wine xvfb xauth x11-utils xdotool
  imagemagick faketime nsis
  qt6-base-dev qt6-base-dev-tools
  python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

"$here/qt-mingw.sh"
