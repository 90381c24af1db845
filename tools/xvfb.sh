#!/usr/bin/env bash
# Runs a command on an X server of its own and ends the server afterwards.
# Xvfb chooses a free display number itself (-displayfd), so servers that
# tests start at the same moment side by side never race for one number, as
# `xvfb-run -a` can.
#   tools/xvfb.sh WIDTHxHEIGHT COMMAND [ARGS...]
set -uo pipefail
size=$1
shift
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$number" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -f "$number"' EXIT
for _ in $(seq 200); do
  [ -s "$number" ] && break
  if ! kill -0 "$server" 2>/dev/null; then
    echo "xvfb.sh: Xvfb did not start" >&2
    exit 1
  fi
  sleep 0.05
done
if [ ! -s "$number" ]; then
  echo "xvfb.sh: Xvfb gave no display number" >&2
  exit 1
fi
DISPLAY=:$(head -n 1 "$number") "$@"
