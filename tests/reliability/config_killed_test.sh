#!/usr/bin/env bash
# The configuration application killed while its launcher waits for the
# agent it has just started: the agent comes up on its own and runs no
# session (nobody is left to ask for one), and the next configuration
# application finds it and shows the form idle.
#   config_killed_test.sh PCVigilor.exe vigilor_probe.exe
# Runs in the caller's Wine session and X display (tools/test.sh); the agent
# is the one beside PCVigilor.exe, which "Path" being missing points to.
set -uo pipefail
config=$1 probe=$2
suite='Software\Quorvex Halvern Plus!'

probe_() { wine "$probe" "$@" </dev/null | tr -d '\r'; }
end_all() {
  probe_ kill-process PCVigilor.exe >/dev/null 2>&1
  probe_ post 273 210 >/dev/null 2>&1 # WM_COMMAND "Close"
  sleep 1
  probe_ kill-process VigilorTaskbar.exe >/dev/null 2>&1
  probe_ reset >/dev/null 2>&1
}
fail() {
  echo "FAIL: $*"
  exit 1
}
trap end_all EXIT

probe_ reset
probe_ kill-process VigilorTaskbar.exe >/dev/null 2>&1
wine "$config" </dev/null >/dev/null 2>&1 &
read -r left top < <(probe_ client-origin 60) || fail "the configuration window did not appear"

# A real click on Start, at the left of the form's toolbar, through the X
# server. The launcher then starts the agent and polls for its window every
# two seconds; the application is killed as soon as the agent's process
# exists, long before the first poll. A click that comes before Qt takes
# input is lost, so it is repeated.
for attempt in 1 2 3; do
  sleep 1
  xdotool mousemove $((left + 45)) $((top + 32)) click 1
  probe_ wait-then-kill VigilorTaskbar.exe PCVigilor.exe 10 >/dev/null && break
  [ "$attempt" != 3 ] || fail "no agent started after three clicks on Start"
done
echo "ok: the configuration application was killed while its launcher waited"

probe_ wait-agent 30 >/dev/null || fail "the agent did not come up without its launcher"
sleep 3 # past the poll that would have posted the start
[ "$(probe_ query 10)" = 0 ] || fail "a session runs that nobody asked for"
[ "$(probe_ get VigilorActive)" = missing ] || fail "the agent recorded a session"
echo "ok: the agent runs without a session"
# The killed application's own view stays where Start left it.
echo "the suite's VigilorActive after the kill: $(probe_ reg "$suite" VigilorActive)"

wine "$config" </dev/null >/dev/null 2>&1 &
probe_ client-origin 60 >/dev/null || fail "the configuration window did not appear again"
for _ in $(seq 40); do
  [ "$(probe_ reg "$suite" VigilorActive)" = 0 ] && break
  sleep 0.5
done
[ "$(probe_ reg "$suite" VigilorActive)" = 0 ] ||
  fail "the new configuration application did not learn that no session runs"
echo "ok: the next configuration application shows no session"
probe_ close-main 15 || fail "the configuration application did not close"
probe_ post 273 210 >/dev/null
echo "ok"
