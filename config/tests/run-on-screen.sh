#!/usr/bin/env bash
# Runs a test program under an X screen of the given size, in a Wine session
# of its own on a copy of the test prefix, so that the screen metrics Windows
# reports differ from those of the other tests.
#   run-on-screen.sh WIDTHxHEIGHT[@DPI] TOOLS PROGRAM [ARGS...]
set -euo pipefail
size=${1%@*} dpi=${1#*@} tools=$2
shift 2
export WINEDEBUG=-all
exec "$tools/own-wine-session.sh" --screen "$size" bash -c 'wine reg add "HKCU\Control Panel\Desktop" /v LogPixels \
  /t REG_DWORD /d "${0/*x*/96}" /f >/dev/null; wineserver -k; wineserver -w; exec wine "$@"' "$dpi" "$@"
