#!/usr/bin/env bash
# Runs a command in a Wine session of its own on the current X display:
# ends any session of WINEPREFIX first, creates the prefix when missing, and
# ends the session (and every program left in it) afterwards, also on failure.
#   WINEPREFIX=... DISPLAY=... tools/wine-session.sh COMMAND [ARGS...]
set -uo pipefail
: "${WINEPREFIX:?WINEPREFIX must be set}"
: "${DISPLAY:?an X display is needed}"
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all}

end_session() { wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; }
end_session
trap end_session EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  # No Mono or Gecko: their installers would wait for a download.
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1
  wineserver -w
fi
"$@"
