#!/usr/bin/env bash
# Runs a command in a Wine session of its own on the current X display:
# ends any session of WINEPREFIX first, creates the prefix when missing, and
# ends the session (and every program left in it) afterwards, also on failure.
#   WINEPREFIX=... DISPLAY=... tools/wine-session.sh COMMAND [ARGS...]
# With VIGILOR_UNMANAGED_WINDOWS=1 (set by tools/test.sh) the prefix is told
# to leave windows unmanaged.
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
# Debian's Wine 8 finds its own fonts (Tahoma, which the dialog fonts map to,
# and Marlett for the caption buttons) only in the prefix's Fonts folder, not
# where fonts-wine installs them: without a copy there Qt's spin boxes draw
# no digits and caption buttons show letters.
wine_fonts=/usr/share/wine/fonts
fonts=$WINEPREFIX/drive_c/windows/Fonts
if [ -f "$wine_fonts/tahoma.ttf" ] && [ ! -f "$fonts/tahoma.ttf" ]; then
  mkdir -p "$fonts"
  cp "$wine_fonts"/* "$fonts/"
fi
# Tests run on a bare X server: without a window manager, Wine waits for one
# at every hide of a managed window (seconds per popup). Unmanaged windows
# behave the same for the programs and are not waited for.
if [ "${VIGILOR_UNMANAGED_WINDOWS:-}" = 1 ] && ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  # The value reaches user.reg only when the server writes the registry
  # back: the tests that copy the prefix at once (tools/own-wine-session.sh)
  # would otherwise copy it without.
  wineserver -w
fi
"$@"
