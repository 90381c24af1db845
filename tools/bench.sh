#!/usr/bin/env bash
# Prints what the two programs cost, as a table: file sizes, start-up times,
# the round trip of a state query, the agent's CPU time and memory, and the
# configuration application's start-up. Everything but the file sizes is
# measured under Wine and Xvfb, in a Wine prefix of its own: these are Wine
# figures, not Windows figures. Figures set side by side come from one run.
#   tools/bench.sh            (about three minutes)
# The build tree is ./build, or VIGILOR_BUILD_DIR.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${VIGILOR_BUILD_DIR:-$root/build}
"$here/build.sh" --target VigilorTaskbar PCVigilor reliability_probe >/dev/null
# The installer needs NSIS; without it the table says so.
"$here/build.sh" --target installer >/dev/null 2>&1 || true

agent=$build/agent/VigilorTaskbar.exe
config=$build/config/PCVigilor.exe
probe=$build/tests/reliability_probe.exe
windows() { local p; p=$(readlink -f "$1"); echo "Z:${p//\//\\}"; }
row() { printf '| %-58s | %28s |\n' "$1" "$2"; }
kib() { awk -v b="$1" 'BEGIN { printf "%.0f KiB", b / 1024 }'; }

setup=$(ls "$build"/installer/PC-Vigilor-Setup-*.exe "$build"/PC-Vigilor-Setup-*.exe 2>/dev/null |
  head -n 1 || true)

echo "PC-Vigilor figures under $(wine --version 2>/dev/null || echo Wine) and Xvfb on" \
  "$(nproc) cores, $(date -u '+%Y-%m-%d %H:%M UTC') (Wine figures, not Windows figures)"
row "what" "figure"
row "----------------------------------------------------------" "----------------------------"
row "VigilorTaskbar.exe file size" "$(kib "$(stat -c %s "$agent")")"
if [ -n "$setup" ]; then
  row "$(basename "$setup") file size" "$(kib "$(stat -c %s "$setup")")"
else
  row "installer file size" "not built"
fi

export WINEPREFIX=$build/wineprefix-bench WINEDEBUG=-all
# The agent's tray icon shows as a window of Wine's own notification area on
# the bare X server, which is how its arrival is timed.
xvfb-run -a -s "-screen 0 1280x800x24" "$here/wine-session.sh" \
  wine "$probe" bench "$(windows "$agent")" "$(windows "$config")" </dev/null |
  tr -d '\r'
