#!/usr/bin/env bash
# Sessions chosen from the tray menu as a user chooses them (the right button
# on the icon, keys through the menu) in a Wine session of its own in
# LANGUAGE (en, de, ...), where this test's windows are the only programs,
# with the agent beside the stand-in POWRPROF.dll and High performance
# chosen.
# The presets (in English; in any language they are pictured): "For 30
# minutes" and "For 2 hours" end that much later, and start nothing while a
# session runs; "Until I stop it" ends 1000 hours later with a tip that says
# so; "Until a time…" ends at the next full hour on Enter and starts nothing
# on Esc.
# Sessions that last while a program runs: the tip names the chosen one, cut
# at 60 characters;
# "Add 1 hour" moves the end 60 minutes; the program's end ends the session,
# or with shutdown chosen starts the countdown within two seconds, in which
# "Add 1 hour" moves the end to an hour from then; a plan the user chose by
# hand during a session stays after its end and after a cancel; two Store
# apps of one frame host are two entries, each watched through its own
# process; "Close" ends the agent while it watches, and puts the plan back.
# The session submenu and the program list are pictured in SHOTS.
#   program_session_test.sh PROBE.exe AGENT.exe TOOLS SHOTS LANGUAGE POWRPROF.dll
set -euo pipefail
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND (status $?)"' ERR
if [ -z "${VIGILOR_IN_SESSION:-}" ]; then
  export LANG=$([ "$5" = en ] && echo C.UTF-8 || echo "${5}_${5^^}.UTF-8") VIGILOR_IN_SESSION=1
  exec "$3/own-wine-session.sh" bash "$0" "$@"
fi
probe=$1 agent=$WINEPREFIX/VigilorTaskbar.exe shot=$4/$5-program-menu.png tips=$WINEPREFIX/tips.txt
cp "$2" "$6" "$WINEPREFIX/"
down=40 up=38 right=39 enter=13 escape=27
# The session submenu, and in it the list of programs below the presets.
submenu=($down $right)
programs=("${submenu[@]}" $down $down $down $down $down $down $right)
balanced='{381B4222-F694-41F0-9685-FF5BB260DF2E}' high='{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}'
saver='{A1841308-3541-4FAB-BC81-F71556F20B4A}'
p() { wine "$probe" "$@" | tr -d '\r'; }
fail() { echo "FAIL: $*"; exit 1; }
picture() { # FILE: the open menus, cropped to them
  import -window root "$1"
  convert "$1" -crop 1280x300+0+290 -trim +repage "$1"
}
minute() { echo $((10#$(date +%H) * 60 + 10#$(date +%M))); }
# The item of the session submenu after DOWNS presses of the down key.
choose() { # DOWNS
  p menu 10 || fail "no menu"
  p keys "${submenu[@]}" $(printf "$down %.0s" $(seq "$1")) $enter
}
# That item is a preset whose session must end MINUTES after the minute it
# was chosen in; the end in $end.
preset() { # DOWNS MINUTES
  local before after
  before=$(minute)
  choose "$1"
  after=$(minute)
  end=$(p query 10)
  [ "$end" = $((before + $2)) ] || [ "$end" = $((after + $2)) ] ||
    fail "the preset below $1 downs ends at minute $end, not $2 minutes after $before"
}
last_tip() { tail -n 1 "$tips" | tr -d '\r'; }
text() { p strings "Z:${agent//\//\\}" "$1" "$1"; }
soon() { awk -v a="$1" -v b="${2:-$(date +%s.%N)}" 'BEGIN { exit !(b - a < 2) }'; }
# The tip of a session for program $1, up to its end.
program_tip() { local tip; tip=$(text 195); tip=${tip/\%1/"$1"}; echo "${tip%%\%2*}"; }
ended_with() {
  local killed
  killed=$(date +%s.%N)
  until [ "$(last_tip)" = "$idle" ]; do
    soon "$killed" || fail "the session outlived $1"
    sleep 0.05
  done
  [ "$(p query 10)" = 0 ] || fail "a session still runs"
}
long="Render queue: scene 12 of 40, 4K, denoise pass 3 of 5, remaining 00:42:17"
# The first program of a new Wine session now and then fails to start on a
# busy machine, before any of it runs (status 53 or the like, nothing
# printed): that start is tried once more.
p reset || { echo "the first probe ended with status $?; once more"; p reset; }
p set powerSchemeOn 1 && p set powerSchemeIndex 2
p use-power-stand-in "$balanced"
wine "$probe" tray-log >"$tips" &
# Made in another order than their titles' (the newest window is on top).
wine "$probe" window "$long" &
render=$!
wine "$probe" window 'Backup of D:\Photos' &
backup=$!
wine "$probe" window "Video Export" &
# Two Store apps shown by one frame host, the first minimised: its core
# window has left its frame.
wine "$probe" frames Weather Whiteboard &
wine "$probe" store-app Weather alone >"$WINEPREFIX/weather.txt" &
wine "$probe" store-app Whiteboard >"$WINEPREFIX/whiteboard.txt" &
whiteboard=$!
p texts "Video Export" 30 >/dev/null
timeout 30 bash -c 'until grep -qs shown "$0" && grep -qs shown "$1"; do sleep 0.1; done' \
  "$WINEPREFIX/weather.txt" "$WINEPREFIX/whiteboard.txt" || fail "no Store apps"
wine "$agent" &
agent_pid=$!
p wait-agent 60 || fail "the agent did not start"
idle=$(text 128)

xdotool mousemove 20 300 # the submenus open to the right
mkdir -p "$4"
p menu 10 || fail "no menu"
p keys "${submenu[@]}"
picture "$4/$5-presets-menu.png"
p keys $escape $escape
# What they do does not depend on the language.
if [ "$5" = en ]; then
  preset 1 30
  choose 1 # greyed while the session runs: nothing happens
  [ "$(p query 10)" = "$end" ] || fail "a preset changed the running session"
  p post 1725 >/dev/null
  preset 3 120
  p post 1725 >/dev/null
  preset 4 60000
  until_stopped=$(text 247)
  [ "$(last_tip)" = "$until_stopped" ] || fail "the tip reads \"$(last_tip)\", not \"$until_stopped\""
  p post 1725 >/dev/null
  next_hour() { echo $(((10#$(date +%H) + 1) * 60)); }
  hour_before=$(next_hour)
  choose 5
  p texts PC-Vigilor 10 >/dev/null || fail "no dialog for the time"
  p keys $enter
  end=$(p query 10)
  [ "$end" = "$hour_before" ] || [ "$end" = "$(next_hour)" ] ||
    fail "\"Until a time…\" ends at minute $end, not at the next full hour"
  p post 1725 >/dev/null
  choose 5
  p texts PC-Vigilor 10 >/dev/null || fail "no dialog for the time"
  p keys $escape
  [ "$(p query 10)" = 0 ] || fail "Esc started a session"
  echo "ok: the presets and \"Until a time…\""
fi
# The program sessions count the plan's switches from here.
p use-power-stand-in "$balanced"

# "Keep Your PC Awake", its submenu, "While a program runs", its list.
p menu 10 || fail "no menu"
p keys "${programs[@]}"
picture "$shot"
p keys $down $enter
end=$(p query 10)
[ "$end" != 0 ] || fail "no session runs"
tip=$(text 195)
tip=${tip/\%1/"${long:0:60}…"}
[[ "$(last_tip)" == "${tip%%\%2*}"*"${tip#*\%2}" ]] || fail "the tip reads \"$(last_tip)\", not \"$tip\""
[ "$(p scheme)" = "$high 1" ] || fail "the session does not run under High performance"
echo "ok: a session until minute $end; the tip: $(last_tip)"

p menu 10 || fail "no menu"
p keys $down $right $up $up $enter # "Add 1 hour", above the check
[ "$(p query 10)" = $((end + 60)) ] || fail "the end did not move 60 minutes later"
echo "ok: an hour added"

p use-power-stand-in "$saver" # the user's choice, by hand
kill "$render"
ended_with "its program"
[ "$(p scheme)" = "$saver 0" ] || fail "the end overwrote the plan chosen by hand: $(p scheme)"
echo "ok: the session ended with its program; the plan chosen by hand stays"

p set shutdownWindows 1
p use-power-stand-in "$balanced"
p menu 10 || fail "no menu"
p keys "${programs[@]}" $enter # "Backup of D:\Photos", now the first
end=$(p query 10)
[ "$end" != 0 ] || fail "no session runs"
kill "$backup"
killed=$(date +%s.%N)
read -r seen _ < <(p wait-countdown 5) || fail "no countdown"
soon "$killed" "$seen" || fail "the countdown came late"
# The session's end is now: an hour more ends it an hour from now, about
# when it would have ended at the latest (the program ended at its start).
p menu 10 || fail "no menu"
p keys $down $right $up $up $enter # "Add 1 hour"
extended=$(p query 10)
[ $((extended - end)) -ge 0 ] && [ $((extended - end)) -le 2 ] ||
  fail "an hour added in the countdown ends the session at minute $extended, not about $end"
p use-power-stand-in "$saver"
p post 1725 >/dev/null
[ "$(p query 10)" = 0 ] || fail "the cancel did not end the session"
[ "$(p scheme)" = "$saver 0" ] || fail "the cancel overwrote the plan chosen by hand: $(p scheme)"
echo "ok: the program's end started the countdown; an hour more there ends at minute $extended"

p set shutdownWindows 0
p menu 10 || fail "no menu"
p keys "${programs[@]}" $down $down $enter # "Whiteboard", the third
[[ "$(last_tip)" == "$(program_tip Whiteboard)"* ]] || fail "the tip reads \"$(last_tip)\", not Whiteboard's"
kill "$whiteboard"
ended_with "its Store app"
[ "$(p scheme)" = "$saver 2" ] || fail "the plan was not put back: $(p scheme)"
echo "ok: two Store apps of one frame host listed; the session ended with its own"

# "Close" while a program is watched: the watch goes with the session.
p menu 10 || fail "no menu"
p keys "${programs[@]}" $enter # "Video Export"
[[ "$(last_tip)" == "$(program_tip "Video Export")"* ]] || fail "the tip reads \"$(last_tip)\", not Video Export's"
p post 273 210 >/dev/null
timeout 5 tail --pid="$agent_pid" -f /dev/null || fail "the agent did not close"
[ "$(p scheme)" = "$saver 4" ] || fail "Close did not put the plan back: $(p scheme)"
echo "ok: closed while watching; the plan put back"
