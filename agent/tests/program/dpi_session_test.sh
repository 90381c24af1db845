#!/usr/bin/env bash
# What the agent shows at 192 DPI (200 %), in a Wine session of its own: a
# copy of the caller's prefix set to that DPI, its own X server. Runs the
# program tests made for that DPI, then takes and checks a screenshot of a
# notice (NAME popup-192dpi in the screenshot folder).
#   dpi_session_test.sh PROGRAM_TESTS.exe PROBE.exe AGENT.exe TOOLS_FOLDER SCREENSHOTS
set -euo pipefail
tests=$1 probe=$2 agent=$3 tools=$4 shots=$5
here=$(cd "$(dirname "$0")" && pwd)

if [ "${6:-}" != --inside ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  if [ -f "${WINEPREFIX:-}/system.reg" ]; then
    "$tools/copy-prefix.sh" "$WINEPREFIX" "$work/prefix"
  fi
  export WINEPREFIX=$work/prefix VIGILOR_UNMANAGED_WINDOWS=1
  "$tools/xvfb.sh" 1280x800 \
    "$tools/wine-session.sh" bash "$0" "$tests" "$probe" "$agent" "$tools" "$shots" --inside
  exit
fi

wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null
# Programs take the DPI when their Wine session starts: start a new one.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

status=0
wine "$tests" --gtest_filter='AtDoubleDpi.*' </dev/null | tr -d '\r' || status=1
bash "$here/popup_screenshot_test.sh" "$probe" "$agent" "$shots" popup-192dpi || status=1
exit "$status"
