#!/usr/bin/env bash
# Makes Qt 6.4.2 for x86_64-w64-mingw32 available in a cache outside the build
# tree and prints nothing else than progress. Sources, in order of preference:
#   1. the cache itself (a finished earlier run),
#   2. a prebuilt archive, checked against the SHA256SUMS beside it
#      (QT_MINGW_ARCHIVE, or ../shared/toolchain/ beside the checkout),
#   3. a build from Debian's qt6-base source (tools/build-qt6-mingw.sh).
# The folder is printed by tools/qt-dir.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
name=qt6.4.2-mingw-w64-x86_64
dir=$("$here/qt-dir.sh")
stamp="$dir/.vigilor-ready"

if [ -f "$stamp" ]; then
  echo "Qt for mingw-w64: cached in $dir"
  exit 0
fi

archive=${QT_MINGW_ARCHIVE:-$root/../shared/toolchain/$name.tar.xz}
rm -rf "$dir" "$dir.part"
mkdir -p "$(dirname "$dir")"
if [ -f "$archive" ]; then
  sums="$(dirname "$archive")/SHA256SUMS"
  if [ -f "$sums" ]; then
    want=$(awk -v f="$(basename "$archive")" '$2 == f || $2 == "*" f { print $1 }' "$sums")
    have=$(sha256sum "$archive" | cut -d' ' -f1)
    if [ -z "$want" ] || [ "$want" != "$have" ]; then
      echo "Qt archive $archive does not match $sums" >&2
      exit 1
    fi
  fi
  echo "Qt for mingw-w64: unpacking $archive"
  mkdir -p "$dir.part"
  tar -xJf "$archive" -C "$dir.part" --strip-components=1
else
  echo "Qt for mingw-w64: no prebuilt archive, building from Debian's source (about 40 minutes)"
  "$here/build-qt6-mingw.sh" "$dir.part"
fi
mv "$dir.part" "$dir"
touch "$stamp"
echo "Qt for mingw-w64: ready in $dir"
