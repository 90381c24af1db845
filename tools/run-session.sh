#!/usr/bin/env bash
# Runs inside a Wine session started by tools/run.sh: tells both programs
# where they live, as the installer does, and starts `program` on a Wine
# desktop that has a taskbar and a notification area. With `setup` set, the
# installer does it instead, and the installed copy runs.
#   run-session.sh interactive   stays until the desktop is closed
#   run-session.sh screenshot    saves build/screenshots/run.png (or
#                                run-installed.png) and returns
set -euo pipefail
: "${program:?}" "${build:?}"
agent="$build/agent/VigilorTaskbar.exe"
picture=run.png
if [ -n "${setup:-}" ]; then
  # Wine's menu builder would copy the Start-menu shortcut into the Linux
  # desktop's menus.
  wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /t REG_SZ /d '' /f >/dev/null
  wine "$setup" /S
  # Where it went: an upgrade keeps the folder of the earlier installation.
  folder=$(wine reg query 'HKCU\Software\Quorvex\PC-Vigilor' /v Path |
    tr -d '\r' | sed -n 's/^ *Path *REG_SZ *//p')
  program=$(winepath -u "$folder\\PCVigilor.exe")
  agent=$(winepath -u "$folder\\VigilorTaskbar.exe")
  picture=run-installed.png
  echo "installed in $folder"
else
  folder=$(winepath -w "$(dirname "$program")")
  wine reg add 'HKCU\Software\Quorvex\PC-Vigilor' /v Path /t REG_SZ /d "$folder" /f >/dev/null
fi

if [ "$1" = interactive ]; then
  exec wine explorer /desktop=PC-Vigilor,1280x800 "$program"
fi
wine explorer /desktop=PC-Vigilor,1280x800 "$program" &
# The tray agent as well, so that the picture shows its icon; the first
# program of a fresh Wine session takes several seconds to appear.
sleep 15
wine "$agent" &
sleep 10
mkdir -p "$build/screenshots"
/usr/bin/import -window root "$build/screenshots/$picture"
echo "screenshot: $build/screenshots/$picture"
