#!/usr/bin/env bash
# Signs Windows programs and DLLs in place with Authenticode (SHA-256) when a
# certificate is given, and does nothing otherwise:
#   VIGILOR_SIGN_PFX        the certificate and its RSA key, a PKCS#12 (.pfx) file
#   VIGILOR_SIGN_PASSWORD   its password
#   VIGILOR_SIGN_TIMESTAMP  an RFC 3161 timestamp server, required with a
#                           certificate; "none" signs without a timestamp
#   tools/sign.sh FILE...
#   tools/sign.sh --check   checks the settings above and says how the
#                           release will be signed, signing nothing
# The build calls it for every staged program and DLL and makensis for the
# installer and its uninstaller, so one certificate signs everything of a
# release.
set -euo pipefail

if [ -z "${VIGILOR_SIGN_PFX:-}" ]; then
  [ "${1:-}" != --check ] ||
    echo "No certificate (VIGILOR_SIGN_PFX, VIGILOR_SIGN_PASSWORD): the release is unsigned"
  exit 0
fi
refuse() { echo "sign.sh: $*" >&2; exit 1; }
[ -n "${VIGILOR_SIGN_PASSWORD+set}" ] ||
  refuse "VIGILOR_SIGN_PASSWORD must be set with VIGILOR_SIGN_PFX"
[ -r "$VIGILOR_SIGN_PFX" ] || refuse "cannot read $VIGILOR_SIGN_PFX"
# Without a timestamp a signature stops counting when the certificate
# expires, and every installed copy with it: leaving it out is a choice.
timestamp=${VIGILOR_SIGN_TIMESTAMP:-}
[ -n "$timestamp" ] || refuse "VIGILOR_SIGN_TIMESTAMP is not set: name an RFC 3161 timestamp" \
  "server (http://...), or set it to none to sign without a timestamp"

# The password reaches openssl and osslsigncode through a file only its
# owner can read: on the command line every user would see it in the
# process list.
umask 077
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s' "$VIGILOR_SIGN_PASSWORD" >"$work/password"

# The certificate that goes with the key; PKCS#12 files made by older tools
# need OpenSSL's legacy ciphers.
for legacy in "" -legacy; do
  # shellcheck disable=SC2086 # no option, or one
  openssl pkcs12 $legacy -in "$VIGILOR_SIGN_PFX" -passin "file:$work/password" -nokeys \
    -clcerts -out "$work/cert.pem" 2>/dev/null && [ -s "$work/cert.pem" ] && break
done
[ -s "$work/cert.pem" ] ||
  refuse "cannot read the certificate in $VIGILOR_SIGN_PFX (wrong password?)"
# Smart App Control accepts only RSA signatures; an ECC-signed DLL is as
# blocked as an unsigned one.
algorithm=$(openssl x509 -in "$work/cert.pem" -noout -text |
  sed -n 's/^ *Public Key Algorithm: *//p' | head -n 1)
[ "$algorithm" = rsaEncryption ] ||
  refuse "the certificate's key is $algorithm, not RSA: Windows' Smart App Control" \
    "does not accept ECC signatures; use a certificate with an RSA key"
expiry=$(openssl x509 -in "$work/cert.pem" -noout -enddate | cut -d= -f2)

if [ "$1" = --check ]; then
  echo "Signing with the certificate in $VIGILOR_SIGN_PFX (RSA, valid until $expiry)"
  # A certificate that vouches for itself leads to no root that Windows
  # trusts: Smart App Control counts only certificates of trusted providers,
  # and SmartScreen names no publisher.
  if openssl verify -no-CApath -no-CAstore -no_check_time -CAfile "$work/cert.pem" \
    "$work/cert.pem" >/dev/null 2>&1; then
    echo "Self-signed certificate: Windows trusts no publisher by it, so SmartScreen will" \
      "still warn of an unknown publisher and Smart App Control will still block the programs"
  fi
  if [ "$timestamp" = none ]; then
    echo "VIGILOR_SIGN_TIMESTAMP=none: the signatures carry no timestamp and end with the" \
      "certificate on $expiry"
  else
    echo "Timestamps from $timestamp"
  fi
  exit 0
fi

options=()
[ "$timestamp" = none ] || options=(-ts "$timestamp")
for file in "$@"; do
  osslsigncode sign -pkcs12 "$VIGILOR_SIGN_PFX" -readpass "$work/password" \
    -h sha256 -n PC-Vigilor "${options[@]}" \
    -in "$file" -out "$work/signed" >/dev/null
  # Keep the file's mode: makensis and the build expect the file they gave.
  cat "$work/signed" >"$file"
  rm -f "$work/signed"
  echo "signed $(basename "$file")"
done
