#!/usr/bin/env bash
# Configures and builds everything for 64-bit Windows with mingw-w64.
#   tools/build.sh [extra cmake --build arguments]
# The build tree is ./build, or VIGILOR_BUILD_DIR.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${VIGILOR_BUILD_DIR:-$root/build}
qt=$("$here/qt-dir.sh")
cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DVIGILOR_QT_DIR="$qt" -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr >/dev/null
cmake --build "$build" "$@"
