#!/usr/bin/env bash
# Runs a Windows test program on a Wine desktop of its own
# ("explorer /desktop"), and returns the program's exit code.
#   on_wine_desktop.sh [--root] PROGRAM.exe [ARGS...]
# On the bare X server of the tests, Wine waits two seconds for a window
# manager each time a window with a taskbar button is hidden (the agent's
# notices), which would stall the agent at every popup. On a Wine desktop
# there is no such wait. --root runs the program on the bare X server all
# the same, for tests that need what only it shows (tray icons as windows).
# The desktop loses the program's exit code, so the program writes it to
# VIGILOR_RESULT_FILE.
set -uo pipefail
root=false
if [ "${1:-}" = --root ]; then
  root=true
  shift
fi
program=$1
shift
result=$(mktemp)
log=$(mktemp)
trap 'rm -f "$result" "$log"' EXIT
# Wine's helper processes inherit the output; written to ctest's pipe, it
# would hold ctest until they exit.
run_plain() {
  wine "$program" "$@" >"$log" 2>&1 </dev/null
  status=$?
  cat "$log"
  exit "$status"
}
for arg in "$@"; do
  # Listing the tests needs no desktop.
  [ "$arg" = --gtest_list_tests ] && run_plain "$@"
done
$root && run_plain "$@"

: >"$result"
# A desktop of this run's own: "explorer /desktop" returns at once when it
# only adds a program to a desktop that exists.
VIGILOR_RESULT_FILE="Z:${result//\//\\}" \
  wine explorer "/desktop=VigilorReliability$$,1280x800" "$program" "$@" >"$log" 2>&1 </dev/null
cat "$log"
code=$(tr -d '\r\n ' <"$result")
if [ -z "$code" ]; then
  echo "on_wine_desktop.sh: $program ended without writing its result" >&2
  exit 1
fi
exit "$code"
