#!/usr/bin/env bash
# Runs a Windows program under Wine for ctest and passes on its output and
# exit code once it has ended. Wine's own helper processes (wineserver,
# services) inherit the program's output; writing it to ctest's pipe
# directly would hold ctest for seconds after every test, until they exit.
#   run-in-wine.sh PROGRAM.exe [ARGS...]
set -uo pipefail
log=$(mktemp)
trap 'rm -f "$log"' EXIT
wine "$@" >"$log" 2>&1 </dev/null
status=$?
cat "$log"
exit "$status"
