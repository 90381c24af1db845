#!/usr/bin/env bash
# A release, and its installer under Wine the way a user meets it:
#   R. tools/release.sh, with a certificate made for this run, signs the
#      installer, every program and DLL it ships and the NSIS plug-ins it
#      unpacks (refusing ECC and no timestamp setting, saying when the
#      certificate is self-signed), strips them, and writes sums and a
#      winget manifest that match the installer;
# then, in one Wine session and X server of its own, on a copy of the test
# prefix (it installs into the user's profile and closes every agent of its
# session):
#   0. a window of the agent that does not close makes a silent install
#      fail, before it touches anything;
#   1. a silent install with /AUTOSTART puts exactly the built files into
#      %LOCALAPPDATA%\Programs\PC-Vigilor, a signed uninstaller beside them,
#      writes "Path", the Start-menu shortcut, the uninstall entry the
#      manifest names, and the Run value that starts the agent at sign-in;
#   2. the installed PCVigilor.exe, on a click on Start, brings up the
#      installed VigilorTaskbar.exe, which starts the session;
#   2b. Setup elevated as another user than the one signed in refuses, in a
#      box or silently with an error code, and changes nothing: the running
#      programs and the installation stay as they are;
#   3. installing again while both run (and a session runs) replaces the
#      files, keeps the options, window geometry and the Run value, and
#      brings the agent back;
#   4. the registered quiet uninstall closes the running agent and removes
#      everything of PC-Vigilor, but keeps what other products of the maker
#      keep under its keys, and what Windows keeps about start-up programs;
#   5. a folder chosen with /D= (typed with a trailing backslash) is written
#      without it and kept by an upgrade; uninstalling from there removes
#      the maker's keys once nothing else is left in them, and no file of
#      the user's;
#   6. the portable zip, unpacked into any folder with no "Path" set,
#      starts the agent beside it, from the configuration application and
#      from the command line in its "bin" folder.
# Each installation adds its "bin" folder (the command line alone) to the
# user's PATH, which keeps its other entries, its type and its variables
# unexpanded, and each uninstall takes it out again.
#
#   installer_test.sh BUILD STAGE_FOLDER PROBE.exe VERSION TOOLS SCREENSHOTS \
#                     STAND_IN_WTSAPI32.dll
set -euo pipefail
build=$1 stage=$2 probe=$3 version=$4 tools=$5 shots=$6 wtsapi32=$7
release=$build/release
setup=$release/PC-Vigilor-Setup-$version.exe
zip=$release/PC-Vigilor-$version-portable.zip
winget=$release/winget/Quorvex.PC-Vigilor

fail() { echo "FAIL: $*" >&2; exit 1; }
expect() { # what, actual, expected
  [ "$2" = "$3" ] || fail "$1 is \"$2\", expected \"$3\""
  echo "ok: $1 = \"$3\""
}
# The value of a top-level or list-item field of a winget manifest file.
field() { sed -n "s/^\(- \|  \)\?$2: //p" "$1"; }
verify_signed() {
  local report
  report=$(osslsigncode verify -CAfile "$signer_cert" -in "$1" 2>&1) ||
    fail "$1 carries no valid signature: $(tail -n 5 <<<"$report")"
  grep -q 'digest algorithm *: SHA256' <<<"$report" || fail "$1 is not signed with SHA-256"
  echo "ok: $(basename "$1") is signed"
}
verify_all() { find "$@" -name '*.exe' -o -name '*.dll' | while read -r f; do verify_signed "$f"; done; }
# The NSIS plug-ins an installer or uninstaller unpacks at run time, as
# 7-Zip reads them from it: System.dll at least, which the script calls.
verify_plugins() {
  local out
  out=$(mktemp -d)
  7zz x -y -o"$out" "$1" "\$PLUGINSDIR/*.dll" >/dev/null || fail "cannot unpack the plug-ins of $1"
  [ -f "$out/\$PLUGINSDIR/System.dll" ] || fail "no System.dll in $1"
  verify_all "$out"
  rm -rf "$out"
}

if [ "${8:-}" != --inside ]; then
  echo "== R. a signed release"
  # Made for this run and gone when it ends; only the public half is needed
  # after signing, to verify the uninstaller that the install leaves.
  certs=$(mktemp -d)
  trap 'rm -rf "$certs"' EXIT
  export signer_cert=$certs/signer.pem
  password=$(openssl rand -hex 16)
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=PC-Vigilor test signer" \
    -addext extendedKeyUsage=codeSigning -keyout "$certs/key.pem" -out "$signer_cert" 2>/dev/null
  printf '%s' "$password" >"$certs/password"
  openssl pkcs12 -export -inkey "$certs/key.pem" -in "$signer_cert" -out "$certs/signer.pfx" \
    -passout "file:$certs/password"
  openssl req -x509 -newkey ec:<(openssl ecparam -name prime256v1) -nodes -subj /CN=ECC -keyout "$certs/ecc.key" -out \
    "$certs/ecc.pem" 2>/dev/null && openssl pkcs12 -export -inkey "$certs/ecc.key" -in "$certs/ecc.pem" -out "$certs/ecc.pfx" -passout "file:$certs/password"
  # One that a certificate authority issued is not called self-signed.
  openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=CA -keyout "$certs/ca.key" -out "$certs/ca.pem" 2>/dev/null
  openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=Issued -CA "$certs/ca.pem" -CAkey "$certs/ca.key" \
    -keyout "$certs/issued.key" -out "$certs/issued.pem" 2>/dev/null
  openssl pkcs12 -export -inkey "$certs/issued.key" -in "$certs/issued.pem" -out "$certs/issued.pfx" \
    -passout "file:$certs/password"
  issued=$(VIGILOR_SIGN_PFX="$certs/issued.pfx" VIGILOR_SIGN_PASSWORD="$password" VIGILOR_SIGN_TIMESTAMP=none \
    "$tools/sign.sh" --check) || fail "sign.sh refused a certificate that an authority issued"
  ! grep -q 'Self-signed' <<<"$issued" || fail "an issued certificate is called self-signed: $issued"
  release() { env VIGILOR_BUILD_DIR="$build" VIGILOR_SIGN_PASSWORD="$password" VIGILOR_SIGN_TIMESTAMP= "$@" "$tools/release.sh"; }
  grep -q 'TIMESTAMP is not set' <(release VIGILOR_SIGN_PFX="$certs/signer.pfx" 2>&1) || fail "no timestamp setting, not refused"
  refused=$(release VIGILOR_SIGN_PFX="$certs/ecc.pfx" VIGILOR_SIGN_TIMESTAMP=none VIGILOR_RELEASE_URL= 2>&1) &&
    fail "ECC not refused"
  grep -q 'not RSA' <<<"$refused" || fail "ECC not refused: $refused"
  # Said before the build, as the refusal shows; a full release without a
  # manifest would cost a second build of the installer.
  grep -q 'no winget manifest$' <<<"$refused" || fail "no word of the winget manifest: $refused"
  url=https://downloads.test/pc-vigilor/$version # Nothing is fetched from there.
  VIGILOR_BUILD_DIR=$build VIGILOR_SIGN_PFX=$certs/signer.pfx VIGILOR_SIGN_PASSWORD=$password VIGILOR_SIGN_TIMESTAMP=none VIGILOR_RELEASE_URL=$url/ \
    "$tools/release.sh" >"$certs/release.log" 2>&1 || fail "release.sh failed: $(cat "$certs/release.log")"
  rm -f "$certs/key.pem" "$certs/signer.pfx" "$certs/password"
  expect "release.sh's last line" "$(tail -n 1 "$certs/release.log")" "VIGILOR_SIGN_TIMESTAMP=none: the signatures carry no \
timestamp and end with the certificate on $(openssl x509 -in "$signer_cert" -noout -enddate | cut -d= -f2)"
  self_signed="Self-signed certificate: Windows trusts no publisher by it, so SmartScreen will still warn of an \
unknown publisher and Smart App Control will still block the programs"
  expect "release.sh's second line" "$(sed -n 2p "$certs/release.log")" "$self_signed"
  expect "release.sh's line before the last" "$(tail -n 2 "$certs/release.log" | head -n 1)" "$self_signed"
  ! grep -q "$password" "$certs/release.log" || fail "the password shows in the release log"

  expect 'the release files' "$(cd "$release" && find . -type f | LC_ALL=C sort)" "./PC-Vigilor-$version-portable.zip
./PC-Vigilor-Setup-$version.exe
./SHA256SUMS
./policies/PC-Vigilor.admx
./policies/de-DE/PC-Vigilor.adml
./policies/en-US/PC-Vigilor.adml
./policies/es-ES/PC-Vigilor.adml
./policies/fr-FR/PC-Vigilor.adml
./winget/Quorvex.PC-Vigilor.installer.yaml
./winget/Quorvex.PC-Vigilor.locale.en-US.yaml
./winget/Quorvex.PC-Vigilor.yaml"
  (cd "$release" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not verify"
  expect 'files in SHA256SUMS' "$(wc -l <"$release/SHA256SUMS")" 2
  verify_signed "$setup"
  verify_plugins "$setup"
  unpacked=$certs/zip
  unzip -q "$zip" -d "$unpacked"
  verify_all "$unpacked"
  # Everything the zip holds is what the installer installs.
  (cd "$stage" && find . -type f) | while read -r f; do
    cmp -s "$stage/$f" "$unpacked/$f" || fail "$f in the zip is not the staged one"
  done
  diff -r "$release/policies" "$unpacked/policies" || fail "the zip's policies are not the release's"
  expect 'files in the zip' "$(cd "$unpacked" && find . -type f -not -path './policies/*' | wc -l)" \
    "$(cd "$stage" && find . -type f | wc -l)"
  find "$unpacked" "$setup" -name '*.exe' -o -name '*.dll' | while read -r f; do
    ! x86_64-w64-mingw32-objdump -h "$f" | grep -q ' \.debug' || fail "$f carries debug information"
  done
  echo "ok: no .debug sections in the installer and the zip's programs and DLLs"

  # Each file with the fields its type requires, for this package and version.
  while read -r file fields; do
    for name in PackageIdentifier PackageVersion ManifestType ManifestVersion $fields; do
      [ -n "$(field "$winget$file" "$name")" ] || fail "no $name in $winget$file"
    done
    expect "the package in $file" "$(field "$winget$file" PackageIdentifier) $(
      field "$winget$file" PackageVersion)" "Quorvex.PC-Vigilor $version"
  done <<EOF
.yaml DefaultLocale
.locale.en-US.yaml PackageLocale Publisher PackageName License ShortDescription
.installer.yaml InstallerType Scope Silent ProductCode Architecture InstallerUrl
EOF
  expect InstallerUrl "$(field "$winget.installer.yaml" InstallerUrl)" "$url/PC-Vigilor-Setup-$version.exe"
  expect MinimumOSVersion "$(field "$winget.installer.yaml" MinimumOSVersion)" 10.0.17763.0
  expect InstallerSha256 "$(field "$winget.installer.yaml" InstallerSha256)" \
    "$(sha256sum "$setup" | cut -d' ' -f1 | tr a-f A-F)"
  expect 'the Commands of the winget manifest' \
    "$(sed -n '/^Commands:/,/^[A-Z]/p' "$winget.installer.yaml" | sed -n 's/^- //p')" vigilor

  WINEDEBUG=-all "$tools/own-wine-session.sh" bash "$0" "$@" --inside
  exit
fi

settings='Software\Quorvex\PC-Vigilor'
maker='Software\Quorvex'
suite='Software\Quorvex Halvern Plus!'
# The uninstall entry is the one the winget manifest names.
product_code=$(field "$winget.installer.yaml" ProductCode | sort -u)
uninstall="Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product_code"
run='Software\Microsoft\Windows\CurrentVersion\Run'
# Where Windows keeps a start-up program that the user disabled.
approved='Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'
# NSIS uninstallers copy themselves to %TEMP% under this name and return at
# once; the copy does the work.
uninstaller_copy=Un.exe

# wine-session.sh ends every Wine program of the session afterwards; the
# programs started here in the background go first.
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT

probe_() { wine "$probe" "$@" | tr -d '\r'; }
winvar() { wine cmd /c echo "%$1%" | tr -d '\r'; }
# Waits up to $1 seconds for a command to succeed.
wait_for() {
  local seconds=$1; shift
  for _ in $(seq $((seconds * 4))); do
    "$@" && return 0
    sleep 0.25
  done
  return 1
}
value_is() { [ "$(probe_ reg "$1" "$2")" = "$3" ]; }
# The user's own PATH: its type and its text, unexpanded.
user_path() {
  wine reg query 'HKCU\Environment' /v Path 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *Path *\(REG_[A-Z_]*\) *\(.*\)$/\1 \2/p'
}
path_before='REG_EXPAND_SZ %USERPROFILE%\tools;C:\Other'
# Runs an uninstall command line as the system would, and waits for the
# uninstaller's copy to finish.
run_uninstall() {
  local command=$1 exe args
  exe=${command#\"}; exe=${exe%%\"*}; args=${command#\""$exe"\"}
  # shellcheck disable=SC2086 # the arguments are words of the command line
  wine "$exe" $args || fail "the uninstaller failed to start: $command"
  probe_ wait-ended "$uninstaller_copy" 90 || fail "the uninstaller still runs after 90 s"
}

local_appdata=$(winvar LOCALAPPDATA)
windir="$local_appdata\\Programs\\PC-Vigilor"
dir=$(winepath -u "$windir")
link_win="$(winvar APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\PC-Vigilor.lnk"
link=$(winepath -u "$link_win")
custom_win='C:\VigilorCustom'
custom=$(winepath -u "$custom_win")
portable_win='C:\PC-Vigilor portable'
portable=$(winepath -u "$portable_win")

# A clean profile: no earlier installation, no settings. Wine's menu
# builder would turn the shortcut into a launcher on the Linux desktop.
wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /t REG_SZ /d '' /f >/dev/null
for key in "$maker" "$suite" "$uninstall" "$approved"; do
  wine reg delete "HKCU\\$key" /f >/dev/null 2>&1 || true
done
wine reg delete "HKCU\\$run" /v PC-Vigilor /f >/dev/null 2>&1 || true
wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d '%USERPROFILE%\tools;C:\Other' /f >/dev/null
rm -rf "$dir" "$custom" "$link" "$portable"

expected_files='PCVigilor.exe
Qt6Core.dll
Qt6Gui.dll
Qt6Widgets.dll
VigilorTaskbar.exe
bin
bin/vigilor.exe
libgcc_s_seh-1.dll
libstdc++-6.dll
libwinpthread-1.dll
platforms
platforms/qwindows.dll
styles
styles/qwindowsvistastyle.dll
uninstall.exe'

check_files() { # unix folder
  local listed
  listed=$(cd "$1" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort)
  [ "$listed" = "$expected_files" ] ||
    fail "the installed files differ from the expected ones:
$(diff <(echo "$expected_files") <(echo "$listed"))"
  # The very files the build staged, not older or unstripped ones.
  (cd "$stage" && find . -type f) | while read -r f; do
    cmp -s "$stage/$f" "$1/$f" || fail "installed $f is not the built one"
  done
  echo "ok: exactly the expected files in $1"
}

# Starts the configuration application from a folder other than its own, as
# from the Start menu, and clicks Start until an agent is on its way.
start_session_from() { # unix path of PCVigilor.exe
  (cd "$WINEPREFIX/drive_c" && exec wine "$1") &
  read -r left top < <(probe_ client-origin 60) ||
    fail "the configuration window did not appear"
  echo "ok: the configuration window shows at ($left, $top)"
  # A real click through the X server on Start, which sits at the left of
  # the form's toolbar. A click that comes before Qt takes input is lost.
  for _ in 1 2 3; do
    sleep 1
    xdotool mousemove $((left + 45)) $((top + 32)) click 1
    wait_for 30 eval '[ "$(probe_ processes VigilorTaskbar.exe)" != 0 ]' && return 0
  done
  fail "no agent started after three clicks on Start"
}

echo "== 0. a program that will not close stops the installation"
wine "$probe" stubborn &
probe_ agent 30 >/dev/null || fail "no stand-in window"
status=0
wine "$setup" /S || status=$?
[ "$status" != 0 ] || fail "the install reported success while a program would not close"
echo "ok: the install gave up with exit code $status"
[ ! -e "$dir" ] || fail "the install went ahead: $(cd "$dir" && find .)"
expect '"Path"' "$(probe_ reg "$settings" Path)" missing
probe_ post 32768 >/dev/null # WM_APP: the stand-in goes
wait_for 10 eval '! probe_ agent 0 >/dev/null 2>&1' || fail "the stand-in window stays"

echo "== 1. silent install, started at sign-in"
wine "$setup" /S /AUTOSTART || fail "the silent install failed ($?)"
check_files "$dir"
verify_all "$dir"
verify_plugins "$dir/uninstall.exe"
expect 'the Run value' "$(probe_ reg "$run" PC-Vigilor)" "\"$windir\\VigilorTaskbar.exe\""
expect "the agent's version" "$(probe_ version "$windir\\VigilorTaskbar.exe")" "$version"
expect "the installer's version" "$(probe_ version "Z:$setup")" "$version"
expect '"Path"' "$(probe_ reg "$settings" Path)" "$windir"
expect 'the user PATH' "$(user_path)" "$path_before;$windir\bin"
expect 'the Start-menu shortcut target' "$(probe_ link "$link_win")" "$windir\\PCVigilor.exe"
expect DisplayName "$(probe_ reg "$uninstall" DisplayName)" PC-Vigilor
expect DisplayVersion "$(probe_ reg "$uninstall" DisplayVersion)" "$version"
expect Publisher "$(probe_ reg "$uninstall" Publisher)" Quorvex
for name in DisplayName DisplayVersion Publisher; do
  expect "$name in the winget manifest" "$(field "$winget.installer.yaml" $name)" \
    "$(probe_ reg "$uninstall" $name)"
done
expect DisplayIcon "$(probe_ reg "$uninstall" DisplayIcon)" "$windir\\PCVigilor.exe,0"
expect UninstallString "$(probe_ reg "$uninstall" UninstallString)" "\"$windir\\uninstall.exe\""
expect QuietUninstallString "$(probe_ reg "$uninstall" QuietUninstallString)" \
  "\"$windir\\uninstall.exe\" /S"
expect NoModify "$(probe_ reg "$uninstall" NoModify)" 1
expect NoRepair "$(probe_ reg "$uninstall" NoRepair)" 1
size=$(probe_ reg "$uninstall" EstimatedSize)
kib=$(find "$dir" -type f -printf '%s\n' | awk '{ s += $1 } END { print int(s / 1024) }')
[ "$size" -ge $((kib - 16)) ] && [ "$size" -le $((kib + 16)) ] ||
  fail "EstimatedSize is $size KiB, the files take $kib KiB"
echo "ok: EstimatedSize = $size KiB"
expect 'a fresh install writes no option' "$(probe_ reg "$settings" duration)" missing

echo "== 2. the installed PCVigilor.exe starts the installed agent"
probe_ reg-set "$settings" duration 42
probe_ reg-set "$settings" posX 150
probe_ reg-set "$settings" posY 120
start_session_from "$dir/PCVigilor.exe"
read -r agent_pid agent_exe < <(probe_ agent 30) || fail "no agent window"
expect 'the agent started' "$agent_exe" "$windir\\VigilorTaskbar.exe"
wait_for 20 value_is "$settings" VigilorActive 1 || fail "the session did not start"
echo "ok: VigilorActive = 1"
wine "$dir/bin/vigilor.exe" status >/dev/null || fail "the installed command line sees no session"
echo "ok: the installed command line sees it"
mkdir -p "$shots"
import -window root "$shots/installed-run.png"

echo "== 2b. Setup elevated as another user changes nothing"
# Setup loads wtsapi32.dll from system32 only; Wine takes the stand-in from
# there for Setup alone.
system32=$(winepath -u 'C:\windows\system32')
overrides="HKCU\\Software\\Wine\\AppDefaults\\${setup##*/}\\DllOverrides"
mv "$system32/wtsapi32.dll" "$system32/wtsapi32.dll.wine"
cp "$wtsapi32" "$system32/wtsapi32.dll"
wine reg add "$overrides" /v wtsapi32 /t REG_SZ /d native,builtin /f >/dev/null
status=0
wine "$setup" /S /AUTOSTART "/D=$custom_win" || status=$?
[ "$status" != 0 ] || fail "the silent install as another user reported success"
echo "ok: the silent install gave up with exit code $status"
exit_file=$(mktemp)
(status=0; wine "$setup" || status=$?; echo "$status" >"$exit_file") &
refusal=$(probe_ texts 'PC-Vigilor Setup' 60) || fail "no box for another user"
import -window root "$shots/installer-other-user.png"
grep -qxF 'PC-Vigilor installs for the signed-in user: run Setup without Run as administrator' \
  <<<"$refusal" || fail "the box for another user says: $refusal"
echo "ok: the box for another user says why"
xdotool key Return
wait_for 30 test -s "$exit_file" || fail "Setup stays after the box"
status=$(cat "$exit_file")
rm -f "$exit_file"
[ "$status" != 0 ] || fail "Setup as another user reported success after its box"
echo "ok: Setup ended with exit code $status after its box"
wine reg delete "$overrides" /f >/dev/null
mv -f "$system32/wtsapi32.dll.wine" "$system32/wtsapi32.dll"
read -r pid_after exe_after < <(probe_ agent 5) || fail "the agent was closed"
expect 'the agent' "$pid_after $exe_after" "$agent_pid $agent_exe"
expect 'VigilorActive' "$(probe_ reg "$settings" VigilorActive)" 1
expect 'configuration application processes' "$(probe_ processes PCVigilor.exe)" 1
check_files "$dir"
[ ! -e "$custom" ] || fail "Setup as another user installed into $custom_win"
expect '"Path"' "$(probe_ reg "$settings" Path)" "$windir"
expect 'the Run value' "$(probe_ reg "$run" PC-Vigilor)" "\"$windir\\VigilorTaskbar.exe\""

echo "== 3. installing again while both programs run"
# As Task Manager records a start-up program the user disabled.
probe_ reg-set "$approved" PC-Vigilor 3
wine "$setup" /S || fail "the reinstall failed ($?)"
expect 'the Run value kept' "$(probe_ reg "$run" PC-Vigilor)" "\"$windir\\VigilorTaskbar.exe\""
expect 'configuration application processes' "$(probe_ processes PCVigilor.exe)" 0
read -r new_pid new_exe < <(probe_ agent 30) || fail "no agent after the reinstall"
[ "$new_pid" != "$agent_pid" ] || fail "the old agent still runs"
expect 'the agent after the reinstall' "$new_exe" "$windir\\VigilorTaskbar.exe"
expect 'agent processes' "$(probe_ processes VigilorTaskbar.exe)" 1
expect 'VigilorActive (the closed agent ended its session)' \
  "$(probe_ reg "$settings" VigilorActive)" 0
check_files "$dir"
expect '"duration" kept' "$(probe_ reg "$settings" duration)" 42
expect '"posX" kept' "$(probe_ reg "$settings" posX)" 150
expect '"posY" kept' "$(probe_ reg "$settings" posY)" 120
expect '"Path" kept' "$(probe_ reg "$settings" Path)" "$windir"
expect 'the user PATH, once' "$(user_path)" "$path_before;$windir\bin"

echo "== 4. quiet uninstall while the agent runs a session"
probe_ post 1724 >/dev/null # start
wait_for 20 value_is "$settings" VigilorActive 1 || fail "the session did not start"
probe_ reg-set "$maker\\Other Product" Installed 1
probe_ reg-set "$suite" VigilorActive 1
probe_ reg-set "$suite" Edition 3
run_uninstall "$(probe_ reg "$uninstall" QuietUninstallString)"
expect 'agent processes' "$(probe_ processes VigilorTaskbar.exe)" 0
[ ! -e "$dir" ] || fail "left behind: $(cd "$dir" && find .)"
[ ! -e "$link" ] || fail "the shortcut is left"
expect 'the uninstall entry' "$(probe_ reg "$uninstall")" missing
expect 'the settings key' "$(probe_ reg "$settings")" missing
expect "the suite's VigilorActive" "$(probe_ reg "$suite" VigilorActive)" missing
expect "another product's value under the maker's key" \
  "$(probe_ reg "$maker\\Other Product" Installed)" 1
expect "another value in the suite's key" "$(probe_ reg "$suite" Edition)" 3
expect 'the Run value' "$(probe_ reg "$run" PC-Vigilor)" missing
expect "Windows' record of the disabled start" "$(probe_ reg "$approved" PC-Vigilor)" 3
expect 'the user PATH' "$(user_path)" "$path_before"

echo "== 5. a folder of the user's choice, and nothing else under the maker's keys"
for key in "$maker" "$suite"; do
  wine reg delete "HKCU\\$key" /f >/dev/null
done
wine "$setup" /S "/D=$custom_win\\" || fail "the install into $custom_win failed ($?)"
check_files "$custom"
expect 'the Run value without /AUTOSTART' "$(probe_ reg "$run" PC-Vigilor)" missing
expect '"Path"' "$(probe_ reg "$settings" Path)" "$custom_win"
expect InstallLocation "$(probe_ reg "$uninstall" InstallLocation)" "$custom_win"
expect 'the user PATH' "$(user_path)" "$path_before;$custom_win\bin"
# An upgrade without /D goes where the installation is.
wine "$setup" /S || fail "the upgrade in $custom_win failed ($?)"
[ ! -e "$dir" ] || fail "the upgrade installed into the default folder"
expect '"Path" after the upgrade' "$(probe_ reg "$settings" Path)" "$custom_win"
probe_ reg-set "$suite" VigilorActive 0 # as the configuration application leaves it
echo "a note of the user's" >"$custom/notes.txt"
run_uninstall "$(probe_ reg "$uninstall" UninstallString) /S"
expect 'what is left in the folder' "$(cd "$custom" && find . -mindepth 1)" ./notes.txt
expect "the maker's key" "$(probe_ reg "$maker")" missing
expect "the suite's key" "$(probe_ reg "$suite")" missing
expect 'the user PATH' "$(user_path)" "$path_before"
rm -rf "$custom"

echo "== 6. the portable zip, with no \"Path\" set"
mkdir -p "$portable"
unzip -q "$zip" -d "$portable"
expect '"Path"' "$(probe_ reg "$settings" Path)" missing
start_session_from "$portable/PCVigilor.exe"
read -r _ agent_exe < <(probe_ agent 30) || fail "no agent window"
expect 'the agent started' "$agent_exe" "$portable_win\\VigilorTaskbar.exe"
wait_for 20 value_is "$settings" VigilorActive 1 || fail "the session did not start"
echo "ok: VigilorActive = 1"
probe_ post 273 210 >/dev/null # Close
wait_for 20 eval '[ "$(probe_ processes VigilorTaskbar.exe)" = 0 ]' || fail "the agent did not close"
wine "$portable/bin/vigilor.exe" start >/dev/null || fail "the command line did not start a session"
read -r _ agent_exe < <(probe_ agent 30) || fail "no agent window"
expect 'the agent the command line started' "$agent_exe" "$portable_win\VigilorTaskbar.exe"
echo "ok"
