#!/usr/bin/env bash
# Runs a Windows test program on a Wine desktop of its own
# ("explorer /desktop"), and returns the program's exit code.
#   on_wine_desktop.sh PROGRAM.exe [ARGS...]
# On the bare X server of the tests, Wine waits two seconds for a window
# manager each time a window with a taskbar button is hidden (the agent's
# notices), which would stall the agent at every popup. On a Wine desktop
# there is no such wait, and a notification area holds the tray icon.
# The desktop loses the program's exit code, so the program writes it to
# VIGILOR_RESULT_FILE.
set -uo pipefail
program=$1
shift
# Listing the tests needs no desktop.
for arg in "$@"; do
  if [ "$arg" = --gtest_list_tests ]; then
    exec wine "$program" "$@"
  fi
done
result=$(mktemp)
trap 'rm -f "$result"' EXIT
: >"$result"
VIGILOR_RESULT_FILE="Z:${result//\//\\}" \
  wine explorer /desktop=VigilorReliability,1280x800 "$program" "$@"
code=$(tr -d '\r\n ' <"$result")
if [ -z "$code" ]; then
  echo "on_wine_desktop.sh: $program ended without writing its result" >&2
  exit 1
fi
exit "$code"
