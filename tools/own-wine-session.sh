#!/usr/bin/env bash
# Runs a command in a Wine session and X server of its own, on a copy of
# WINEPREFIX (tools/copy-prefix.sh), so that
# it can run beside the tests of the shared session without meeting their
# windows or settings. The copy goes when the command ends.
#   WINEPREFIX=... tools/own-wine-session.sh [--screen WIDTHxHEIGHT] COMMAND [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
size=1280x800
if [ "${1:-}" = --screen ]; then
  size=$2
  shift 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -f "${WINEPREFIX:-}/system.reg" ]; then
  "$here/copy-prefix.sh" "$WINEPREFIX" "$work/prefix"
fi
export WINEPREFIX=$work/prefix
"$here/xvfb.sh" "$size" "$here/wine-session.sh" "$@"
