#!/usr/bin/env bash
# Sessions chosen from the tray menu as a user chooses them (the right
# button on the icon, keys through the menu) in a Wine session of its own in
# LANGUAGE (en, de, ...), where this test's windows are the only programs:
#  - the presets: "For 30 minutes" and "For 2 hours" end that much later,
#    and start nothing while a session runs; "Until I stop it" ends 1000
#    hours later with a tip that says so; "Until a time…" ends at the next
#    full hour on Enter and starts nothing on Esc;
#  - sessions that last while a program runs: the tip names the chosen one,
#    cut at 60 characters; "Add 1 hour" moves the end 60 minutes; the
#    program's end ends the session, or with shutdown chosen starts the
#    countdown, within two seconds; "Close" ends the agent while it watches.
# The session submenu and the program list are pictured in SHOTS.
#   program_session_test.sh PROBE.exe AGENT.exe TOOLS SHOTS LANGUAGE
set -euo pipefail
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND (status $?)"' ERR
if [ -z "${VIGILOR_IN_SESSION:-}" ]; then
  export LANG=$([ "$5" = en ] && echo C.UTF-8 || echo "${5}_${5^^}.UTF-8") VIGILOR_IN_SESSION=1
  exec "$3/own-wine-session.sh" bash "$0" "$@"
fi
probe=$1 agent=$2 shot=$4/$5-program-menu.png tips=$WINEPREFIX/tips.txt
down=40 up=38 right=39 enter=13 escape=27
# The session submenu, and in it the list of programs below the presets.
submenu=($down $right)
programs=("${submenu[@]}" $down $down $down $down $down $down $right)
p() { wine "$probe" "$@" | tr -d '\r'; }
fail() { echo "FAIL: $*"; exit 1; }
picture() { # FILE: the open menus, cropped to them
  import -window root "$1"
  convert "$1" -crop 1280x300+0+290 -trim +repage "$1"
}
minute() { echo $((10#$(date +%H) * 60 + 10#$(date +%M))); }
# The preset of the session submenu after DOWNS presses of the down key; the
# session must end MINUTES after the minute it was chosen in.
preset() { # DOWNS MINUTES
  local before after end
  before=$(minute)
  p menu 10 || fail "no menu"
  p keys "${submenu[@]}" $(printf "$down %.0s" $(seq "$1")) $enter
  after=$(minute)
  end=$(p query 10)
  [ "$end" = $((before + $2)) ] || [ "$end" = $((after + $2)) ] ||
    fail "the preset below $1 downs ends at minute $end, not $2 minutes after $before"
}
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

xdotool mousemove 20 300 # the submenus open to the right
mkdir -p "$4"
p menu 10 || fail "no menu"
p keys "${submenu[@]}"
picture "$4/$5-presets-menu.png"
p keys $escape $escape
preset 1 30
preset 1 30 # greyed while the session runs: nothing happens
p post 1725 >/dev/null
preset 3 120
p post 1725 >/dev/null
preset 4 60000
until_stopped=$(text 247)
[ "$(last_tip)" = "$until_stopped" ] || fail "the tip reads \"$(last_tip)\", not \"$until_stopped\""
p post 1725 >/dev/null
next_hour() { echo $(((10#$(date +%H) + 1) * 60)); }
hour_before=$(next_hour)
p menu 10 && p keys "${submenu[@]}" $down $down $down $down $down $enter
p texts PC-Vigilor 10 >/dev/null || fail "no dialog for the time"
p keys $enter
end=$(p query 10)
[ "$end" = "$hour_before" ] || [ "$end" = "$(next_hour)" ] ||
  fail "\"Until a time…\" ends at minute $end, not at the next full hour"
p post 1725 >/dev/null
p menu 10 && p keys "${submenu[@]}" $down $down $down $down $down $enter
p texts PC-Vigilor 10 >/dev/null || fail "no dialog for the time"
p keys $escape
[ "$(p query 10)" = 0 ] || fail "Esc started a session"
echo "ok: the presets and \"Until a time…\""

# "Keep Your PC Awake", its submenu, "While a program runs", its list.
p menu 10 || fail "no menu"
p keys "${programs[@]}"
picture "$shot"
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
p keys "${programs[@]}" $enter # "Backup of D:\Photos", now the first
[ "$(p query 10)" != 0 ] || fail "no session runs"
kill "$backup"
killed=$(date +%s.%N)
read -r seen _ < <(p wait-countdown 5) || fail "no countdown"
soon "$killed" "$seen" || fail "the countdown came late"
p post 1725 >/dev/null
[ "$(p query 10)" = 0 ] || fail "the cancel did not end the session"
echo "ok: the program's end started the countdown"

# "Close" while a program is watched: the watch goes with the session.
p menu 10 && p keys "${programs[@]}" $enter # "Video Export"
p post 273 210 >/dev/null
timeout 5 tail --pid="$agent_pid" -f /dev/null || fail "the agent did not close"
echo "ok: closed while watching"
