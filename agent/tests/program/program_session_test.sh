#!/usr/bin/env bash
# Sessions that last while a program runs, chosen as a user chooses them (the
# right button on the icon, keys through the menu) in a Wine session of its
# own in LANGUAGE (en, de, ...), where this test's windows are the only
# programs: the tip names the chosen one, cut at 60 characters; "Add 1 hour"
# moves the end 60 minutes; the program's end ends the session, or with
# shutdown chosen starts the countdown, within two seconds; "Close" ends the
# agent while it watches. The menu is pictured in SHOTS.
#   program_session_test.sh PROBE.exe AGENT.exe TOOLS SHOTS LANGUAGE
set -euo pipefail
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND (status $?)"' ERR
if [ -z "${VIGILOR_IN_SESSION:-}" ]; then
  export LANG=$([ "$5" = en ] && echo C.UTF-8 || echo "${5}_${5^^}.UTF-8") VIGILOR_IN_SESSION=1
  exec "$3/own-wine-session.sh" bash "$0" "$@"
fi
probe=$1 agent=$2 shot=$4/$5-program-menu.png tips=$WINEPREFIX/tips.txt
down=40 up=38 right=39 enter=13
p() { wine "$probe" "$@" | tr -d '\r'; }
fail() { echo "FAIL: $*"; exit 1; }
last_tip() { tail -n 1 "$tips" | tr -d '\r'; }
text() { p strings "Z:${agent//\//\\}" "$1" "$1"; }
soon() { awk -v a="$1" -v b="${2:-$(date +%s.%N)}" 'BEGIN { exit !(b - a < 2) }'; }
long="Render queue: scene 12 of 40, 4K, denoise pass 3 of 5, remaining 00:42:17"
# The first program of a new Wine session now and then fails to start on a
# busy machine, before any of it runs (status 53 or the like, nothing
# printed): that start is tried once more.
p reset || { echo "the first probe ended with status $?; once more"; p reset; }
wine "$probe" tray-log >"$tips" &
# Made in another order than their titles' (the newest window is on top).
wine "$probe" window "$long" &
render=$!
wine "$probe" window 'Backup of D:\Photos' &
backup=$!
wine "$probe" window "Video Export" &
p texts "Video Export" 30 >/dev/null
wine "$agent" &
agent_pid=$!
p wait-agent 60 || fail "the agent did not start"

# "Keep Your PC Awake", its submenu, "While a program runs", its list.
xdotool mousemove 20 300 # the submenus open to the right
p menu 10 || fail "no menu"
p keys $down $right $down $right
mkdir -p "$4"
import -window root "$shot"
convert "$shot" -crop 1280x300+0+290 -trim +repage "$shot"
p keys $down $enter
end=$(p query 10)
[ "$end" != 0 ] || fail "no session runs"
tip=$(text 195) idle=$(text 128)
tip=${tip/\%1/"${long:0:60}…"}
[[ "$(last_tip)" == "${tip%%\%2*}"*"${tip#*\%2}" ]] || fail "the tip reads \"$(last_tip)\", not \"$tip\""
echo "ok: a session until minute $end; the tip: $(last_tip)"

p menu 10 || fail "no menu"
p keys $down $right $up $up $enter # "Add 1 hour", above the check
[ "$(p query 10)" = $((end + 60)) ] || fail "the end did not move 60 minutes later"
echo "ok: an hour added"

kill "$render"
killed=$(date +%s.%N)
until [ "$(last_tip)" = "$idle" ]; do
  soon "$killed" || fail "the session outlived its program"
  sleep 0.05
done
[ "$(p query 10)" = 0 ] || fail "a session still runs"
echo "ok: the session ended with its program"

p set shutdownWindows 1
p menu 10 || fail "no menu"
p keys $down $right $down $right $enter # "Backup of D:\Photos", now the first
[ "$(p query 10)" != 0 ] || fail "no session runs"
kill "$backup"
killed=$(date +%s.%N)
read -r seen _ < <(p wait-countdown 5) || fail "no countdown"
soon "$killed" "$seen" || fail "the countdown came late"
p post 1725 >/dev/null
[ "$(p query 10)" = 0 ] || fail "the cancel did not end the session"
echo "ok: the program's end started the countdown"

# "Close" while a program is watched: the watch goes with the session.
p menu 10 && p keys $down $right $down $right $enter # "Video Export"
p post 273 210 >/dev/null
timeout 5 tail --pid="$agent_pid" -f /dev/null || fail "the agent did not close"
echo "ok: closed while watching"
