#!/usr/bin/env bash
# Builds everything and runs every test through ctest under Wine and Xvfb,
# in the private Wine prefix of the build tree.
#   tools/test.sh [ctest arguments]     e.g. tools/test.sh -LE slow
# Tests of the shared Wine session hold the resource lock vigilor_desktop and
# run one at a time; the tests with a Wine session and X server of their own
# (the shutdowns, other screen sizes, the installer, the languages, the
# storm) run beside them, five at a time: many of them mostly wait for
# real-time sessions.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${VIGILOR_BUILD_DIR:-$root/build}
"$here/build.sh"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all VIGILOR_UNMANAGED_WINDOWS=1
# Wine and Qt take the user's language from LANG: the suite expects English,
# whatever the developer's own language; the language tests set their own.
export LANG=C.UTF-8
exec "$here/xvfb.sh" 1280x800 \
  "$here/wine-session.sh" ctest --test-dir "$build" --output-on-failure -j 6 "$@"
