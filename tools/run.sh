#!/usr/bin/env bash
# Sets the machine up, builds, and runs PC-Vigilor under Wine as a user would
# start it: the configuration application opens, and its Start button brings
# up the tray agent from the same folder.
#   With DISPLAY set: a Wine desktop (with a taskbar and notification area)
#   opens on that display and stays until it is closed.
#   Without DISPLAY: everything runs under Xvfb, a screenshot is saved to
#   build/screenshots/run.png, and the programs are ended.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${VIGILOR_BUILD_DIR:-$root/build}

"$here/setup.sh"
"$here/build.sh"

export WINEPREFIX=${VIGILOR_RUN_PREFIX:-$build/wineprefix-run} WINEDEBUG=-all
program="$build/config/PCVigilor.exe"
[ -f "$program" ] || program="$build/agent/VigilorTaskbar.exe"

export program build
if [ -n "${DISPLAY:-}" ]; then
  "$here/wine-session.sh" "$here/run-session.sh" interactive
else
  xvfb-run -a -s "-screen 0 1280x800x24" "$here/wine-session.sh" "$here/run-session.sh" screenshot
fi
