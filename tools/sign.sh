#!/usr/bin/env bash
# Signs Windows programs in place with Authenticode (SHA-256) when a
# certificate is given, and does nothing otherwise:
#   VIGILOR_SIGN_PFX        the certificate and its key, a PKCS#12 (.pfx) file
#   VIGILOR_SIGN_PASSWORD   its password
#   VIGILOR_SIGN_TIMESTAMP  an RFC 3161 timestamp server (optional)
#   tools/sign.sh FILE...
# The build calls it for the staged programs and makensis for the installer
# and its uninstaller, so one certificate signs everything of a release.
set -euo pipefail

if [ -z "${VIGILOR_SIGN_PFX:-}" ]; then
  exit 0
fi
: "${VIGILOR_SIGN_PASSWORD?VIGILOR_SIGN_PASSWORD must be set with VIGILOR_SIGN_PFX}"
[ -r "$VIGILOR_SIGN_PFX" ] || { echo "sign.sh: cannot read $VIGILOR_SIGN_PFX" >&2; exit 1; }

# The password reaches osslsigncode through a file only its owner can read:
# on the command line every user would see it in the process list.
umask 077
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s' "$VIGILOR_SIGN_PASSWORD" >"$work/password"

timestamp=()
if [ -n "${VIGILOR_SIGN_TIMESTAMP:-}" ]; then
  timestamp=(-ts "$VIGILOR_SIGN_TIMESTAMP")
fi

for file in "$@"; do
  osslsigncode sign -pkcs12 "$VIGILOR_SIGN_PFX" -readpass "$work/password" \
    -h sha256 -n PC-Vigilor "${timestamp[@]}" \
    -in "$file" -out "$work/signed" >/dev/null
  # Keep the file's mode: makensis and the build expect the file they gave.
  cat "$work/signed" >"$file"
  rm -f "$work/signed"
  echo "signed $(basename "$file")"
done
