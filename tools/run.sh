#!/usr/bin/env bash
# Sets the machine up, builds, and runs PC-Vigilor under Wine as a user would
# start it: the configuration application opens, and its Start button brings
# up the tray agent from the same folder.
#   tools/run.sh               the programs from the build tree
#   tools/run.sh --installed   the built installer first installs PC-Vigilor
#                              silently into the run prefix (an upgrade when
#                              it is there already), then the installed copy
#                              runs
#   With DISPLAY set: a Wine desktop (with a taskbar and notification area)
#   opens on that display and stays until it is closed.
#   Without DISPLAY: everything runs under Xvfb, a screenshot is saved to
#   build/screenshots/run.png (run-installed.png), and the programs are ended.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${VIGILOR_BUILD_DIR:-$root/build}

case "${1:-}" in
  "" | --installed) ;;
  *) echo "usage: tools/run.sh [--installed]" >&2; exit 2 ;;
esac

"$here/setup.sh"
"$here/build.sh"

export WINEPREFIX=${VIGILOR_RUN_PREFIX:-$build/wineprefix-run} WINEDEBUG=-all
program="$build/config/PCVigilor.exe"
[ -f "$program" ] || program="$build/agent/VigilorTaskbar.exe"
setup=""
if [ "${1:-}" = --installed ]; then
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
  setup="$build/installer/PC-Vigilor-Setup-$version.exe"
  [ -f "$setup" ] || { echo "no installer at $setup (is nsis installed?)" >&2; exit 1; }
fi

export program build setup
if [ -n "${DISPLAY:-}" ]; then
  "$here/wine-session.sh" "$here/run-session.sh" interactive
else
  "$here/xvfb.sh" 1280x800 "$here/wine-session.sh" "$here/run-session.sh" screenshot
fi
