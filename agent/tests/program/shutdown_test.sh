#!/usr/bin/env bash
# A session that ends with Windows, in a Wine session of its own (the end of
# Windows ends every program of the Wine session it runs in): a copy of the
# caller's prefix, its own X server. The agent runs beside the stand-in
# powrprof.dll and switches from Balanced to High performance.
#   shutdown_test.sh MODE PROBE.exe AGENT.exe TOOLS_FOLDER POWRPROF.dll
# shutdown:    a one-minute session with shutdown: the countdown popup opens
#              about 50 s after the start and the whole Wine session ends
#              about 60 s after it, leaving Balanced active and
#              "VigilorActive" 0.
# cancel:      the same, but a click on the countdown's Cancel button ends
#              the session: the agent still runs at 65 s, Balanced is active,
#              "VigilorActive" is 0, no popup is left.
# refused:     as cancel, but instead of a click a program with unsaved work
#              answers FALSE when Windows asks whether its session may end,
#              and says that it was asked.
# end-session: the user's session ends (wineboot --end-session) while a
#              session runs: the agent ends with it, leaving Balanced active
#              and "VigilorActive" 0.
set -euo pipefail
mode=$1 probe=$2 agent=$3 tools=$4 powrprof=$5

if [ "${6:-}" != --inside ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  if [ -f "${WINEPREFIX:-}/system.reg" ]; then
    "$tools/copy-prefix.sh" "$WINEPREFIX" "$work/prefix"
  fi
  export WINEPREFIX=$work/prefix
  mkdir "$work/agent"
  cp "$agent" "$powrprof" "$work/agent/"
  in_session() {
    "$tools/xvfb.sh" 1280x800 "$tools/wine-session.sh" \
      bash "$0" "$1" "$probe" "$work/agent/$(basename "$agent")" "$tools" "$powrprof" --inside
  }
  in_session "$mode"
  # What the user finds when Windows is up again.
  [ "$mode" = cancel ] || [ "$mode" = refused ] || in_session after
  exit
fi

probe_() { wine "$probe" "$@" | tr -d '\r'; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }
within() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }
alive() { kill -0 "$1" 2>/dev/null; }
fail() { echo "FAIL: $*"; exit 1; }
balanced='{381B4222-F694-41F0-9685-FF5BB260DF2E}'
high='{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}'

# Put back once, switched once.
expect_put_back() {
  local scheme
  scheme=$(probe_ scheme)
  echo "active scheme and activations $1: $scheme"
  [ "$scheme" = "$balanced 2" ] || fail "$1 the scheme is not Balanced after one switch and one put-back"
  [ "$(probe_ get VigilorActive)" = 0 ] || fail "$1 VigilorActive is not 0"
  [ "$(probe_ get-text restoreScheme)" = missing ] || fail "$1 the scheme to put back is still recorded"
}

if [ "$mode" = after ]; then
  expect_put_back "after the Wine session"
  echo "ok"
  exit 0
fi

probe_ reset
probe_ set duration 1
probe_ set powerSchemeOn 1
probe_ set powerSchemeIndex 2
[ "$mode" = end-session ] || probe_ set shutdownWindows 1
probe_ use-power-stand-in "$balanced"
# Another program of the same Wine session, which the end must end too; with
# unsaved work it says when Windows asks it.
asked=$WINEPREFIX/asked.txt
wine "$probe" "$([ "$mode" = refused ] && echo unsaved || echo hold)" >"$asked" &
bystander=$!
# Wine 8 asks one process after another and ends each that agreed before it
# asks the next (an agent asked first was gone, though the shutdown was then
# refused): the program with unsaved work is made first, so it is asked first.
[ "$mode" != refused ] || probe_ texts "Unsaved work" 30 >/dev/null || fail "no unsaved work"
wine "$agent" &
agent_pid=$!
probe_ wait-agent 60 || fail "the agent did not start"

started=$(probe_ post 1724) # start a session
[ "$(probe_ query 10)" != 0 ] || fail "no session runs"
[ "$(probe_ scheme)" = "$high 1" ] || fail "the session does not run under High performance"
[ "$(probe_ get-text restoreScheme)" = "v2 plan $balanced $high" ] || fail "the scheme to put back is not recorded"

wait_for_end() {
  local deadline=$1
  while alive "$agent_pid" || alive "$bystander"; do
    [ "$(date +%s)" -lt "$deadline" ] || fail "the Wine session still runs"
    sleep 0.1
  done
}

if [ "$mode" = end-session ]; then
  wine wineboot --end-session
  wait_for_end "$(awk -v s="$(now)" 'BEGIN { printf "%d", s + 30 }')"
  echo "every program of the Wine session ended $(since "$started" "$(now)") s after the start"
  exit 0
fi

read -r seen x y label < <(probe_ wait-countdown 75) || fail "no countdown popup"
countdown_after=$(since "$started" "$seen")
echo "countdown popup after $countdown_after s, Cancel button \"$label\" at ($x, $y)"
[ "$label" = Cancel ] || fail "the countdown's button says \"$label\""
within "$countdown_after" 47 53 || fail "the countdown opened after $countdown_after s, not about 50 s"

if [ "$mode" = shutdown ]; then
  wait_for_end "$(awk -v s="$started" 'BEGIN { printf "%d", s + 90 }')"
  ended_after=$(since "$started" "$(now)")
  echo "every program of the Wine session ended after $ended_after s"
  within "$ended_after" 57 63 || fail "the shutdown came after $ended_after s, not about 60 s"
  exit 0
fi

while [ "$mode" = refused ] && [ "$(probe_ query 10)" != 0 ]; do
  [ "$(since "$started" "$(now)" | cut -d. -f1)" -lt 62 ] || fail "the session did not end at the shutdown"
done
# Refused, not missed: Windows asked the program with unsaved work.
while [ "$mode" = refused ] && ! grep -q asked "$asked"; do
  [ "$(since "$started" "$(now)" | cut -d. -f1)" -lt 65 ] || fail "no shutdown was asked for"
  sleep 0.1
done
# A real click, through the X server, where the user would click.
command -v xdotool >/dev/null || fail "xdotool is needed for the click"
[ "$mode" = refused ] || xdotool mousemove "$x" "$y" click 1
clicked=$(now)
# Gone from the screen at once. (Without a window manager Wine then waits
# two seconds in vain before the hidden window is destroyed.)
read -r shown _ < <(probe_ popups)
echo "popups on screen $(since "$clicked" "$(now)") s after the click: $shown"
[ "$shown" = 0 ] || fail "the countdown popup is still on screen after the Cancel click"
expect_put_back "after the $mode"

# Past the moment of the shutdown that was cancelled.
wake=$(awk -v s="$started" 'BEGIN { printf "%.3f", s + 65 }')
sleep "$(awk -v w="$wake" -v n="$(now)" 'BEGIN { d = w - n; printf "%.3f", (d > 0 ? d : 0) }')"
alive "$agent_pid" || fail "the agent ended after the cancel"
alive "$bystander" || fail "the Wine session went down after the cancel"
echo "agent still running $(since "$started" "$(now)") s after the start"
[ "$(probe_ query 10)" = 0 ] || fail "the agent reports a running session"
[ "$(probe_ popups)" = "0 0" ] || fail "a popup is open at 65 s"
expect_put_back "at 65 s"

probe_ post 273 210 >/dev/null # WM_COMMAND "Close"
for _ in $(seq 100); do
  alive "$agent_pid" || break
  sleep 0.1
done
alive "$agent_pid" && fail "the agent did not close"
probe_ reset
echo "ok"
