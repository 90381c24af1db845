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
  wine wine64 xvfb xauth x11-utils xdotool
  fonts-wine imagemagick optipng faketime nsis
  osslsigncode openssl zip unzip 7zip
  qt6-base-dev qt6-base-dev-tools qt6-l10n-tools qt6-translations-l10n
  python3 locales
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

# Wine takes the user's language from LANG only when that Linux locale
# exists (otherwise it is en-US); the translation tests run in these (Italian
# being a language the programs do not know, Canadian French a region that
# only the neutral French texts serve).
for locale in de_DE fr_FR fr_CA es_ES it_IT; do
  if ! locale -a 2>/dev/null | grep -qx "$locale.utf8"; then
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo localedef -i "$locale" -f UTF-8 "$locale.UTF-8"
  fi
done

"$here/qt-mingw.sh"
