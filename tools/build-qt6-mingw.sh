#!/usr/bin/env bash
# Builds Qt 6.4.2 (Core, Gui, Widgets, Test, the "windows" platform plugin and
# the "windowsvista" style) for x86_64-w64-mingw32 from Debian's qt6-base
# source, using Debian's own Qt 6.4.2 as the host tools (moc, rcc, uic).
#
#   build-qt6-mingw.sh PREFIX        installs into PREFIX
#
# Needs: g++-mingw-w64-x86-64-posix ninja-build cmake qt6-base-dev
#        qt6-base-dev-tools, and deb-src entries for Debian's archive
#        (apt-get source). About 40 minutes on two cores.
# tools/qt-mingw.sh calls this when no prebuilt archive of the same output
# is at hand.
set -euo pipefail
prefix=${1:?usage: build-qt6-mingw.sh PREFIX}
here=$(cd "$(dirname "$0")" && pwd)
toolchain="$here/../cmake/mingw-w64-x86_64.cmake"
work=${QT_MINGW_WORK:-/tmp/qt6-mingw-build}
src=qtbase-everywhere-src-6.4.2
mkdir -p "$work" && cd "$work"
if [ ! -d "$src" ]; then
  if ! apt-get source --download-only qt6-base=6.4.2+dfsg-10; then
    # Enable source packages from the same archive as the binary ones.
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
        > /etc/apt/sources.list.d/debian-src.sources
    elif [ -f /etc/apt/sources.list ]; then
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list > /etc/apt/sources.list.d/debian-src.list
    fi
    apt-get update
    apt-get source --download-only qt6-base=6.4.2+dfsg-10
  fi
  tar -xJf qt6-base_6.4.2+dfsg.orig.tar.xz
  # Debian's source drops the WinTab headers that the Windows platform
  # plugin's tablet support includes; Wine's headers describe the same API.
  apt-get download libwine-dev
  dpkg-deb -x libwine-dev_*.deb winedev
  mkdir -p "$src/src/3rdparty/wintab"
  cp winedev/usr/include/wine/wine/windows/wintab.h "$src/src/3rdparty/wintab/wine_wintab.h"
  cp winedev/usr/include/wine/wine/windows/pktdef.h "$src/src/3rdparty/wintab/"
  cat > "$src/src/3rdparty/wintab/wintab.h" <<'H'
/* Adapter: Wine's WinTab header with the names that Qt's tablet support expects. */
#pragma once
#include <windows.h>
#ifndef WINELIB_NAME_AW
#  ifdef UNICODE
#    define WINELIB_NAME_AW(func) func##W
#  else
#    define WINELIB_NAME_AW(func) func##A
#  endif
#endif
#ifndef DECL_WINELIB_TYPE_AW
#  define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif
#ifndef API
#  define API WINAPI
#endif
#include "wine_wintab.h"
H
  # Without Direct2D, QtGui does not build the DirectWrite font database that
  # the platform plugin would otherwise instantiate (fails to link in 6.4.2).
  sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
    "$src/src/plugins/platforms/windows/qwindowsintegration.cpp"
fi
mkdir -p build && cd build
"../$src/configure" \
  -prefix "$prefix" -release -shared -optimize-size \
  -xplatform win32-g++ \
  -qt-host-path /usr -nomake examples -nomake tests \
  -no-opengl -no-dbus -no-feature-sql -no-feature-network -no-feature-xml \
  -no-feature-printsupport -no-feature-concurrent -no-feature-vulkan \
  -no-direct2d -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-harfbuzz -qt-freetype \
  -- -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
     -DCMAKE_TOOLCHAIN_FILE="$toolchain"
cmake --build . --parallel "$(nproc)"
cmake --install .
# The installed toolchain file need not chain to this script's toolchain.
sed -i 's|^set(__qt_initially_configured_toolchain_file ".*")|set(__qt_initially_configured_toolchain_file "")|' \
  "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
