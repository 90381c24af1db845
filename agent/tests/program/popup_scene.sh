# Sourced by the scripts that picture a notice popup of the real agent.
#   popup_scene PROBE.exe AGENT.exe RECT_FILE DONE_FILE
# Starts the probe's popup scene in the background (its process id in
# `scene`) and waits up to 60 s for the popup's screen rectangle, which it
# reads into `left top right bottom`. The scene holds still until DONE_FILE
# exists: the caller's exit trap creates it, also when this fails.

winpath() { printf 'Z:%s' "${1//\//\\}"; }

popup_scene() {
  local probe=$1 agent=$2 rect=$3 done=$4
  wine "$probe" popup-scene "$(winpath "$agent")" "$(winpath "$rect")" "$(winpath "$done")" &
  scene=$!
  for _ in $(seq 600); do
    [ -s "$rect" ] && break
    kill -0 "$scene" 2>/dev/null || { echo "FAIL: the probe ended before the popup showed"; return 1; }
    sleep 0.1
  done
  [ -s "$rect" ] || { echo "FAIL: no popup within 60 s"; return 1; }
  read -r left top right bottom < <(tr -d '\r' <"$rect")
}
