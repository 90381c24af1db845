#!/usr/bin/env bash
# Makes the pictures of what can lock the PC as Wine's own notification area
# shows the real agent's notification of a start: an inactivity limit and a
# screen saver that locks, in one notification, in English and in French, on
# a Wine desktop with a taskbar, in a Wine session of its own on a copy of
# the build's test prefix. Each picture must show the notification.
#   tools/lock-notice-pictures.sh [OUTPUT_FOLDER]   (docs/screenshots unless given)
# The pictures are OUTPUT_FOLDER/en-lock-two-causes.png and
# OUTPUT_FOLDER/fr-lock-two-causes.png; run tools/test.sh once before, for
# the programs and the prefix.
set -euo pipefail
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND (status $?)"' ERR
here=$(cd "$(dirname "$0")" && pwd)
build=${VIGILOR_BUILD_DIR:-$here/../build}
if [ -z "${VIGILOR_IN_SESSION:-}" ]; then
  export VIGILOR_IN_SESSION=1 WINEPREFIX=$build/wineprefix WINEDEBUG=-all
  exec "$here/own-wine-session.sh" bash "$0" "$(realpath -m "${1:-$here/../docs/screenshots}")"
fi
probe=$build/agent/tests/program/vigilor_probe.exe agent=$build/agent/VigilorTaskbar.exe shots=$1
mkdir -p "$shots"
reg() { wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null; }
# Every program of the session on one Wine desktop, whose taskbar holds the
# notification area.
reg 'HKCU\Software\Wine\Explorer' Desktop REG_SZ PC-Vigilor
reg 'HKCU\Software\Wine\Explorer\Desktops' PC-Vigilor REG_SZ 1280x800
reg 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\System' InactivityTimeoutSecs REG_DWORD 900
desktop='HKCU\Control Panel\Desktop'
reg "$desktop" ScreenSaveActive REG_SZ 1
reg "$desktop" ScreenSaveTimeOut REG_SZ 600
reg "$desktop" ScreenSaverIsSecure REG_SZ 1
reg "$desktop" SCRNSAVE.EXE REG_SZ 'C:\windows\system32\scrnsave.scr'
wine "$probe" set monitorOn 0 >/dev/null

for language in en fr; do
  shot=$shots/$language-lock-two-causes.png
  locale=$([ "$language" = en ] && echo C.UTF-8 || echo fr_FR.UTF-8)
  LANG=$locale wine "$agent" &
  agent_pid=$!
  wine "$probe" wait-agent 60 >/dev/null
  SECONDS=0
  wine "$probe" post 1724 >/dev/null
  # The balloon rises above the notification area at the bottom right, a
  # white area larger than the taskbar's strip there.
  white=0
  for _ in $(seq 30); do
    import -window root -crop 700x120+580+680 +repage "$shot"
    white=$(convert "$shot" -fill black +opaque white -format '%[fx:round(mean*w*h)]' info:)
    [ "$white" -lt 30000 ] || break
    sleep 0.5
  done
  wine "$probe" post 273 210 >/dev/null # Close
  wait "$agent_pid" || true
  if [ "$white" -lt 30000 ]; then
    echo "FAIL: no notification in $shot ($white white pixels)"
    exit 1
  fi
  echo "ok: $shot, shown within $SECONDS s"
done
