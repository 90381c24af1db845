#!/usr/bin/env bash
# Copies the Wine prefix FROM to TO (made here) for a Wine session of its
# own; a copy spares the ten seconds that a new prefix takes. The tests of the
# shared session go on meanwhile: they make and remove folders in the user's
# Temp folder, which the copy leaves out, and Wine rewrites its registry
# files. A file that goes or changes while it is read is no fault of the
# copy (tar's exit code 1); anything else is.
#   tools/copy-prefix.sh FROM TO
set -euo pipefail
from=$1 to=$2
mkdir -p "$to"
{ tar -C "$from" --exclude='./drive_c/users/*/Temp/*' --ignore-failed-read \
    --warning=no-file-removed --warning=no-file-changed -cf - . || [ $? -eq 1 ]; } |
  tar -C "$to" -xf -
