#!/usr/bin/env bash
# vigilor.exe against the real agent, in a Wine session and X server of its
# own, on a clock stopped at 23:50 on 8 December in Berlin (UTC+01:00), with
# the agent and the command line laid out as Setup lays them out (the
# command line in "bin" below the agent, no "Path" stored):
#  - every verb with its exit code, the texts and the JSON: nothing running,
#    a bad word, a start that starts the agent with the stored options and
#    its own, extend, check with and without a finding, --until across
#    midnight and to a time passed today, --while a program file (the last
#    of its processes ends the session) and a process id, a program that
#    does not run, stop; the stored options stay as they were;
#  - a console apart from the desktop (SSH) is told so and starts no agent;
#  - malformed requests change nothing, and the agent answers after them;
#    nor does a start that the organisation turned off (exit code 5); its
#    other rules decide over the command line and the stored options;
#  - the keyboard shortcut: the stored one registered, WM_HOTKEY starting
#    and cancelling, and one that another program holds told by name.
#   command_line_test.sh VIGILOR.exe PROBE.exe AGENT.exe POWRPROF.dll TOOLS
set -euo pipefail
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND (status $?)"' ERR
if [ -z "${VIGILOR_IN_SESSION:-}" ]; then
  export TZ=Europe/Berlin VIGILOR_IN_SESSION=1
  exec "$5/own-wine-session.sh" bash "$0" "$@"
fi
probe=$2 work=$WINEPREFIX/drive_c/vigilor
mkdir -p "$work/bin"
cp "$3" "$4" "$work/"
cp "$1" "$work/bin/"
cp "$probe" "$work/render.exe"
agent=$work/$(basename "$3") cli=$work/bin/vigilor.exe
# The agent inherits the clock from the command line that starts it.
clock=(env LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
  FAKETIME='2026-12-08 23:50:00' FAKETIME_DONT_FAKE_MONOTONIC=1)
errors=$work/errors.txt notes=$work/notes.txt
p() { wine "$probe" "$@" | tr -d '\r'; }
fail() { echo "FAIL: $*"; exit 1; }
# The command line on that clock: its output in $out, its standard error in
# $err, its exit code in $rc.
run() {
  rc=0
  out=$("${clock[@]}" wine "$cli" "$@" 2>"$errors" | tr -d '\r') || rc=$?
  err=$(tr -d '\r' <"$errors")
}
expect() { # exit code, what
  [ "$rc" = "$1" ] || fail "$2: exit code $rc, not $1 (out: $out; error: $err)"
}
# The JSON of a running session on this clock, display off, the plan High
# performance, no shutdown, ending at END (local time) and watching PROGRAM
# (its name and id, or null for none).
json() {
  local program=${2:-null} id=${3:-null}
  [ "$program" = null ] || program="\"$program\""
  echo "{\"running\":true,\"end\":\"$1+01:00\",\"untilStopped\":false,\"displayOn\":${4:-false},\"program\":$program,\"programId\":$id,\"powerPlan\":\"high-performance\",\"powerMode\":null,\"shutdown\":false}"
}
status_is() { # JSON, what
  run status --json
  expect 0 "$2"
  [ "$out" = "$1" ] || fail "$2: the status is $out, not $1"
}
text() { p strings "Z:${1//\//\\}" "$2" "$2"; }

p reset
p use-power-stand-in "{381B4222-F694-41F0-9685-FF5BB260DF2E}" # Balanced
p set duration 20
p set monitorOn 0
p set powerSchemeOn 1
p set powerSchemeIndex 2
# Chat programs cannot set "Away" while keys are pressed: a clean check.
p set simulatePress 1
wine "$probe" tray-log notifications >"$notes" &

echo "== nothing running"
run status
expect 1 "status without the agent"
[ "$out" = "No session runs: PC-Vigilor is not running." ] || fail "status says \"$out\""
run status --json
expect 1 "status --json without the agent"
[ "$out" = '{"running":false,"end":null,"untilStopped":null,"displayOn":null,"program":null,"programId":null,"powerPlan":null,"powerMode":null,"shutdown":null}' ] ||
  fail "the JSON of no session is $out"
run stop
expect 0 "stop without the agent"
run check
expect 3 "check without the agent"
run --version
[ "$out" = "vigilor 1.2.0" ] || fail "--version says \"$out\""
run --help
expect 0 --help
grep -q '^  4  the program given with --while' <<<"$out" || fail "--help lists no exit code 4"
echo "ok: status 1, stop 0, check 3, --help and --version"

echo "== a console apart from the desktop, as over SSH"
rc=0 out=
err=$(wine "$probe" apart "Z:${cli//\//\\}" start 2>&1 | tr -d '\r') || rc=$?
expect 3 "start apart from the desktop"
[[ "$err" == "PC-Vigilor runs on the desktop of the signed-in user, "* ]] || fail "start apart says \"$err\""
[ "$(p processes "$(basename "$agent")")" = 0 ] || fail "an agent started apart from the desktop"
echo "ok: told, exit code 3, no agent started"

echo "== bad words"
for words in "bogus" "start --for 90x" "start --for 1001h" "start --until 24:00" \
  "start --display dim" "start --while C:\\x.exe" "start --for 1h --until 10:00" \
  "start --for 1h --for 2h" "extend 0m" "status --yaml" "start --later"; do
  read -ra argv <<<"$words"
  run "${argv[@]}"
  expect 2 "$words"
  [ -z "$out" ] || fail "$words: \"$out\" on standard output"
  grep -q '^Usage:' <<<"$err" || fail "$words: no usage on standard error"
  bad=${argv[-1]}
  [ "$words" = "start --for 1h --until 10:00" ] && bad=--until
  [ "$words" = "start --for 1h --for 2h" ] && bad=--for
  [[ "$(head -n 1 <<<"$err")" == *"$bad"* ]] || fail "$words: the message does not name \"$bad\": $err"
done
echo "ok: each bad word named, with the usage, exit code 2"

echo "== start, extend, check"
run start
expect 0 "start, which starts the agent"
[ "$(head -n 1 <<<"$out")" = "A session runs until tomorrow 12:10 AM." ] || fail "start says $out"
status_is "$(json 2026-12-09T00:10:00)" "the stored options' session"
[ "$(p scheme)" = "{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C} 1" ] || fail "no switch to High performance"
run start --for 45m --display on
expect 0 "start --for 45m --display on"
status_is "$(json 2026-12-09T00:35:00 null null true)" "a session of 45 minutes, display on"
run extend 30m
expect 0 "extend 30m"
status_is "$(json 2026-12-09T01:05:00 null null true)" "30 minutes later"
run extend
expect 0 "extend"
status_is "$(json 2026-12-09T02:05:00 null null true)" "an hour later"
run check
expect 0 "check on a clean PC"
[ "$out" = "$(text "$agent" 184)" ] || fail "check says \"$out\""
policy='HKLM\SOFTWARE\Policies\Microsoft\Power\PowerSettings\A4B195F5-8225-47D8-8012-9D41369786E2'
wine reg add "$policy" /v ACSettingIndex /t REG_DWORD /d 0 /f >/dev/null 2>&1
run check
wine reg delete "$policy" /f >/dev/null 2>&1
expect 1 "check with a policy against requests"
[ "$out" = "$(text "$agent" 176)" ] || fail "check says \"$out\""
echo "ok: start, extend and check"

echo "== --until across midnight, --while"
run start --until 00:30
expect 0 "start --until 00:30"
status_is "$(json 2026-12-09T00:30:00)" "until half past midnight"
run start --until 23:00
expect 0 "start --until 23:00"
status_is "$(json 2026-12-09T23:00:00)" "until 23:00, tomorrow"
run start --while nothing.exe
expect 4 "--while a program that does not run"
run start --while 4000000
expect 4 "--while a process that does not run"
program_id() { run status --json; sed -n 's/.*"programId":\([0-9]*\).*/\1/p' <<<"$out"; }
wine "$work/render.exe" window "Render 1" &
first=$!
p texts "Render 1" 30 >/dev/null
run start --while render.exe
expect 0 "start --while render.exe"
id=$(program_id)
[ -n "$id" ] || fail "no session while render.exe runs ($(p processes render.exe) running): $out"
status_is "$(json 2026-12-09T00:10:00 render.exe "$id")" "while render.exe runs"
# A second process of the program takes over when the first ends.
wine "$work/render.exe" window "Render 2" &
second=$!
p texts "Render 2" 30 >/dev/null
kill "$first"
sleep 2
run status
expect 0 "the session while the second render.exe runs"
id=$(program_id)
run start --while "$id" --for 2h
expect 0 "start --while $id"
status_is "$(json 2026-12-09T01:50:00 render.exe "$id")" "while process $id runs, 2 hours at most"
kill "$second"
for _ in $(seq 50); do
  run status
  [ "$rc" = 1 ] && break
  sleep 0.1
done
expect 1 "the session after its program ended"
echo "ok: --until and --while"

echo "== malformed requests"
run start --for 45m
before=$(wine "$cli" status --json | tr -d '\r')
p bad-requests || fail "a malformed request was taken"
status_is "$before" "the session after the malformed requests"
echo "ok: none taken, the session as it was"

echo "== the organisation's rules"
user_rules='HKCU\Software\Policies\Quorvex\PC-Vigilor' rules=HKLM${user_rules#HKCU}
rule() { wine reg add "$1" /v "$2" /t REG_DWORD /d "$3" /f >/dev/null 2>&1; }
rule "$user_rules" Disabled 1
run start --for 2h
expect 5 "start while turned off"
[ "$err" = "PC-Vigilor is turned off by your organisation: no session starts." ] ||
  fail "a start while turned off says \"$err\""
status_is "$before" "the session after a start while turned off"
# The machine's rules before the user's; each decides over the command line
# and the stored options alike.
rule "$rules" Disabled 0
rule "$rules" MaxSessionHours 1
rule "$user_rules" MaxSessionHours 3
rule "$rules" AllowShutdown 0
rule "$rules" AllowKeyPress 0
p set shutdownWindows 1
run start --for 2h --display on
expect 0 "start under the organisation's rules"
status_is "$(json 2026-12-09T00:50:00 null null true)" "an hour at most, no shutdown"
run extend
expect 6 "extend beyond the longest session"
[ "$(head -n 1 <<<"$out")" = "A session runs until tomorrow 12:50 AM." ] &&
  [ "$err" = "The session lasts as long as it may already: its end stays as it was." ] ||
  fail "extend at the limit says \"$out\", \"$err\""
run check
expect 1 "check without the key press"
[ "$out" = "$(text "$agent" 316)" ] || fail "check under the rules says \"$out\""
wine reg delete "$rules" /f >/dev/null 2>&1
wine reg delete "$user_rules" /f >/dev/null 2>&1
p set shutdownWindows 0
echo "ok: exit code 5 while turned off; the longest session, no shutdown, no key press"

echo "== the keyboard shortcut"
run stop
expect 0 stop
[ "$out" = "The session has ended." ] || fail "stop says \"$out\""
p set hotkey 843 # Ctrl+Alt+K
p post 1726 >/dev/null
[ "$(p try-hotkey 843)" = taken ] || fail "the agent did not register Ctrl+Alt+K"
p post 786 1 >/dev/null # WM_HOTKEY
status_is "$(json 2026-12-09T00:10:00)" "a session by the shortcut"
p post 786 1 >/dev/null
run status
expect 1 "the session after the shortcut again"
holder=$(mktemp)
wine "$probe" hold-hotkey 1868 >"$holder" & # Ctrl+Alt+Shift+L
held=$!
until grep -q held "$holder"; do sleep 0.1; done
p set hotkey 1868
p post 1726 >/dev/null
told=$(text "$agent" 256)
told=${told/\%1/Ctrl+Alt+Shift+L}
told_now() { tr -d '\r' <"$notes" | grep -qxF "$told"; }
for _ in $(seq 50); do
  told_now && break
  sleep 0.1
done
told_now || fail "no notification \"$told\": $(cat "$notes")"
kill "$held"
[ "$(p try-hotkey 843)" = free ] || fail "Ctrl+Alt+K is still registered"
echo "ok: the shortcut registered, started and cancelled; a taken one told"

echo "== the end"
run stop
expect 0 "stop with nothing running"
[ "$out" = "No session runs." ] || fail "stop says \"$out\""
run extend
expect 1 "extend with nothing running"
for value in "duration 20" "monitorOn 0" "powerSchemeOn 1" "powerSchemeIndex 2" \
  "simulatePress 1" "hotkey 1868"; do
  read -r name stored <<<"$value"
  [ "$(p get "$name")" = "$stored" ] || fail "$name is $(p get "$name"), not $stored"
done
echo "ok: the stored options as they were"
p post 273 210 >/dev/null
