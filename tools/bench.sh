#!/usr/bin/env bash
# Prints what the two programs cost beside two baselines that it builds
# itself, the smallest static Win32 tray program and the smallest Qt Widgets
# window built with our Qt: for each figure ours, the baseline's from the same
# run, and the ratio. File sizes, start-up times, the round trip of a state
# query, CPU and memory. Everything but the file sizes is measured under Wine
# and Xvfb, in a Wine prefix of its own; CPU ticks and anonymous memory are
# read from Linux (/proc) for the Wine process, since Wine's own figures for
# them are coarse or 0.
#   tools/bench.sh            (about six minutes)
# The build tree is ./build, or VIGILOR_BUILD_DIR.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${VIGILOR_BUILD_DIR:-$root/build}
"$here/build.sh" --target VigilorTaskbar PCVigilor vigilor_probe baseline_tray \
  baseline_window >/dev/null
# The installer needs NSIS; without it the table says so.
"$here/build.sh" --target installer >/dev/null 2>&1 || true

agent=$build/agent/VigilorTaskbar.exe
config=$build/config/PCVigilor.exe
tray=$build/tests/baseline_tray.exe
window=$build/config-tests/baseline_window.exe
probe=$build/agent/tests/program/vigilor_probe.exe
windows() { local p; p=$(readlink -f "$1"); echo "Z:${p//\//\\}"; }
row() { printf '| %-52s | %-4s | %10s | %10s | %6s |\n' "$@"; }
sizes() {
  awk -v w="$1" -v a="$2" -v b="$3" 'BEGIN { printf "| %-52s | KiB  | %10.1f | %10.1f | %6.2f |\n", w, a / 1024, b / 1024, a / b }'
}

setup=$(ls "$build"/installer/PC-Vigilor-Setup-*.exe 2>/dev/null | head -n 1 || true)

echo "PC-Vigilor figures under $(wine --version 2>/dev/null || echo Wine) and Xvfb on" \
  "$(nproc) cores, $(date -u '+%Y-%m-%d %H:%M UTC') (Wine figures, not Windows figures)"
row "what" "unit" "ours" "baseline" "ratio"
row "----------------------------------------------------" "----" "----------" "----------" "------"
sizes "VigilorTaskbar.exe file size (baseline: tray)" "$(stat -c %s "$agent")" "$(stat -c %s "$tray")"
sizes "PCVigilor.exe file size (baseline: Qt window)" "$(stat -c %s "$config")" "$(stat -c %s "$window")"
if [ -n "$setup" ]; then
  row "$(basename "$setup") file size" "KiB" "$(($(stat -c %s "$setup") / 1024))" "-" "-"
else
  row "installer file size" "" "not built" "-" "-"
fi

export WINEPREFIX=$build/wineprefix-bench WINEDEBUG=-all
# The agent's tray icon shows as a window of Wine's own notification area on
# the bare X server, which is how its arrival is timed.
"$here/xvfb.sh" 1280x800 "$here/wine-session.sh" \
  wine "$probe" bench "$(windows "$agent")" "$(windows "$config")" "$(windows "$tray")" \
  "$(windows "$window")" </dev/null |
  tr -d '\r'
