#!/usr/bin/env bash
# Runs a test program under an X screen of the given size, in a Wine prefix
# and session of its own, so that the screen metrics Windows reports differ
# from those of the other tests.
#   run-on-screen.sh WIDTHxHEIGHT[@DPI] WINEPREFIX WINE-SESSION-SCRIPT PROGRAM [ARGS...]
set -euo pipefail
size=${1%@*} dpi=${1#*@} WINEPREFIX=$2 session=$3
shift 3
export WINEPREFIX WINEDEBUG=-all
exec "$(dirname "$session")/xvfb.sh" "$size" "$session" bash -c 'wine reg add "HKCU\Control Panel\Desktop" /v LogPixels \
  /t REG_DWORD /d "${0/*x*/96}" /f >/dev/null; wineserver -k; wineserver -w; exec wine "$@"' "$dpi" "$@"
