#!/usr/bin/env bash
# Runs inside a Wine session started by tools/run.sh: tells both programs
# where they live, as the installer does, and starts `program` on a Wine
# desktop that has a taskbar and a notification area.
#   run-session.sh interactive   stays until the desktop is closed
#   run-session.sh screenshot    saves build/screenshots/run.png and returns
set -euo pipefail
: "${program:?}" "${build:?}"
folder=$(winepath -w "$(dirname "$program")")
wine reg add 'HKCU\Software\Quorvex\PC-Vigilor' /v Path /t REG_SZ /d "$folder" /f >/dev/null

if [ "$1" = interactive ]; then
  exec wine explorer /desktop=PC-Vigilor,1280x800 "$program"
fi
wine explorer /desktop=PC-Vigilor,1280x800 "$program" &
# The tray agent as well, so that the picture shows its icon; the first
# program of a fresh Wine session takes several seconds to appear.
sleep 15
wine "$build/agent/VigilorTaskbar.exe" &
sleep 10
mkdir -p "$build/screenshots"
/usr/bin/import -window root "$build/screenshots/run.png"
echo "screenshot: $build/screenshots/run.png"
