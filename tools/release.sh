#!/usr/bin/env bash
# Sets up, builds and packs a release into build/release/:
#   PC-Vigilor-Setup-<version>.exe     the per-user installer
#   PC-Vigilor-<version>-portable.zip  the same files, to run from any folder
#   SHA256SUMS                         of the two
#   policies/                          the Group Policy templates (ADMX and
#                                      ADML), also in the zip
#   winget/                            a manifest for Windows' package manager,
#                                      when VIGILOR_RELEASE_URL names the
#                                      address the files are published under
# With VIGILOR_SIGN_PFX, VIGILOR_SIGN_PASSWORD and VIGILOR_SIGN_TIMESTAMP set,
# every program and DLL shipped, the NSIS plug-ins that Setup and the
# uninstaller unpack, the uninstaller and the installer are signed
# (tools/sign.sh); without a certificate the release is unsigned.
#   tools/release.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${VIGILOR_BUILD_DIR:-$root/build}
version=$(sed -n 's/^project(PCVigilor VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "release.sh: no project version in CMakeLists.txt" >&2; exit 1; }

# Both settings are checked before the long build, not after it.
# winget downloads the installer from there; the community repository's
# validation rejects an address that does not serve it.
release_url=${VIGILOR_RELEASE_URL:-}
release_url=${release_url%/}
if [ -z "$release_url" ]; then
  echo "No VIGILOR_RELEASE_URL (the address the release files will be published under): no winget manifest"
elif ! [[ $release_url =~ ^[Hh][Tt][Tt][Pp][Ss]?://[^/]+ ]]; then
  echo "release.sh: VIGILOR_RELEASE_URL must be an http:// or https:// address, not $release_url" >&2
  exit 1
fi
signing=$("$here/sign.sh" --check)
echo "$signing"

"$here/setup.sh"
# Staged and packed anew, so that signed or not follows this run's
# certificate rather than an earlier build's.
setup_name=PC-Vigilor-Setup-$version.exe
stage=$build/installer/stage
rm -rf "$stage" "$build/installer/plugins" "$build/installer/$setup_name"
"$here/build.sh"

release=$build/release
zip_name=PC-Vigilor-$version-portable.zip
rm -rf "$release"
mkdir -p "$release"
cp "$build/installer/$setup_name" "$release/"
# A missing "Path" makes the programs look beside themselves, so the staged
# installation folder runs from wherever it is unpacked.
(cd "$stage" && zip -qrX "$release/$zip_name" .)
# Administrators find the Group Policy templates beside the installer and in
# the zip, laid out as the PolicyDefinitions folder takes them.
cp -r "$root/policies" "$release/policies"
(cd "$root" && zip -qrX "$release/$zip_name" policies)
(cd "$release" && sha256sum "$setup_name" "$zip_name" >SHA256SUMS)

if [ -n "$release_url" ]; then
  mkdir -p "$release/winget"
  sha256=$(sha256sum "$release/$setup_name" | cut -d' ' -f1 | tr a-f A-F)
  id=Quorvex.PC-Vigilor
  schema=1.12.0
  header="# yaml-language-server: \$schema=https://aka.ms/winget-manifest"
  cat >"$release/winget/$id.yaml" <<EOF
$header.version.$schema.schema.json
PackageIdentifier: $id
PackageVersion: $version
DefaultLocale: en-US
ManifestType: version
ManifestVersion: $schema
EOF
  cat >"$release/winget/$id.locale.en-US.yaml" <<EOF
$header.defaultLocale.$schema.schema.json
PackageIdentifier: $id
PackageVersion: $version
PackageLocale: en-US
Publisher: Quorvex
PackageName: PC-Vigilor
License: Proprietary
Copyright: Copyright (C) 2026 Quorvex
ShortDescription: Keeps a Windows PC from sleeping for a period you choose.
Tags:
- keep-awake
- power
- sleep
- tray
ManifestType: defaultLocale
ManifestVersion: $schema
EOF
  # Qt 6 starts on Windows 10 1809 (build 17763) and later, the agent on 1607.
  # ProductCode is the name of the installer's uninstall entry, through which
  # the package manager finds the installed version.
  # Commands: what Setup puts on the user's PATH.
  cat >"$release/winget/$id.installer.yaml" <<EOF
$header.installer.$schema.schema.json
PackageIdentifier: $id
PackageVersion: $version
MinimumOSVersion: 10.0.17763.0
InstallerType: nullsoft
Scope: user
InstallModes:
- interactive
- silent
- silentWithProgress
InstallerSwitches:
  Silent: /S
  SilentWithProgress: /S
UpgradeBehavior: install
Commands:
- vigilor
ProductCode: PC-Vigilor
AppsAndFeaturesEntries:
- DisplayName: PC-Vigilor
  Publisher: Quorvex
  DisplayVersion: $version
  ProductCode: PC-Vigilor
Installers:
- Architecture: x64
  InstallerUrl: $release_url/$setup_name
  InstallerSha256: $sha256
ManifestType: installer
ManifestVersion: $schema
EOF
fi

echo "Release $version in $release:"
(cd "$release" && find . -type f -printf '%P\t%s bytes\n' | LC_ALL=C sort)
# Said again last, where the person making the release looks.
grep '^Self-signed certificate' <<<"$signing" || true
if grep -q '^VIGILOR_SIGN_TIMESTAMP=none' <<<"$signing"; then
  grep '^VIGILOR_SIGN_TIMESTAMP=none' <<<"$signing"
fi
