#!/usr/bin/env bash
# One X server is one desktop, however DISPLAY spells it: ":N", ":N.0" and
# "unix:N" give one wallpaper, and the later launches bring the running one's
# settings forward, even while silent clients hold its socket open.
source "$(dirname "$0")/lib.sh"

start_display
use_temporary_home
mkdir -p "$(dirname "$(settings_file)")"
echo '{"selectedViewID": "crypto_bubbles", "firstLaunchDone": true}' >"$(settings_file)"
number=${DISPLAY#:}

count_wallpapers() {
  local id count=0
  for id in $(xdotool search --name "^$TAVELO_PRODUCT_NAME\$" 2>/dev/null); do
    xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DESKTOP && count=$((count + 1))
  done
  echo "$count"
}
some_wallpaper() { (($(count_wallpapers) >= 1)); }
settings_shown() { [[ -n "$(xdotool search --onlyvisible --name "^$TAVELO_SETTINGS_WINDOW_TITLE\$" 2>/dev/null)" ]]; }

# Three spellings started at the same moment: the server picks exactly one.
pids=()
for spelling in ":$number" ":$number.0" "unix:$number"; do
  DISPLAY="$spelling" "$APP" 2>"$WORK/app-${spelling//[:.]/_}.log" &
  pids+=($!)
  track $!
done
wait_for 20 some_wallpaper || fail "no wallpaper at all"
ended_count() {
  local pid count=0
  for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null || count=$((count + 1)); done
  echo "$count"
}
two_ended() { (($(ended_count) >= 2)); }
wait_for 15 two_ended || true
ended=0
for pid in "${pids[@]}"; do
  if kill -0 "$pid" 2>/dev/null; then
    running=$pid
  else
    wait "$pid" || fail "a later launch failed with status $?"
    ended=$((ended + 1))
  fi
done
[[ $ended == 2 ]] || fail "$((3 - ended)) instances run on one server"
# A launch that lost may have made its window before it learned so: the window goes when
# the server has seen that client leave, a moment after its process ended.
one_wallpaper() { [[ $(count_wallpapers) == 1 ]]; }
wait_for 5 one_wallpaper || fail "$(count_wallpapers) wallpaper windows on one server"
grep -h "already running" "$WORK"/app-*.log | grep -q . || fail "the later launches said nothing"
note "three DISPLAY spellings, started together: one instance (pid $running), one wallpaper window"

# Silent clients on the reopen socket cost the running instance nothing.
socket=$(ls "$XDG_RUNTIME_DIR"/$TAVELO_PROGRAM_NAME-*.socket 2>/dev/null | head -1)
[[ -S "$socket" ]] || fail "no reopen socket in $XDG_RUNTIME_DIR"
python3 - "$socket" <<'PY' >"$WORK/silent-clients.log" &
import socket, sys, time
held = []
for _ in range(20):
    s = socket.socket(socket.AF_UNIX)
    s.connect(sys.argv[1])
    held.append(s)
print("connected", flush=True)
time.sleep(60)
PY
track $!
wait_for 10 grep -q connected "$WORK/silent-clients.log" || fail "the silent clients did not connect"
asked=$SECONDS
DISPLAY="unix:$number" "$APP" 2>"$WORK/again.log" || fail "the launch to reopen failed"
grep -q "showing its settings" "$WORK/again.log" || fail "the running instance was not reached: $(cat "$WORK/again.log")"
wait_for 5 settings_shown || fail "the settings window did not come forward"
note "with 20 silent clients connected, a launch as unix:$number brought the settings forward in $((SECONDS - asked)) s"
[[ $(count_wallpapers) == 1 ]] || fail "a second wallpaper appeared"
kill -0 "$running" || fail "the running instance died"
