#!/usr/bin/env bash
# A hostile day for the wallpaper, compressed: for MINUTES it kills the web
# process, takes the view site down and brings it back, and switches views
# through the settings window, at random. Every second it looks at the desktop.
# At the end it reports how often the wallpaper recovered, the longest time the
# desktop was black, and the memory of the whole process tree at start and end.
#
#   bench/chaos.sh [BUILD_DIR] [MINUTES] [SEED]   (defaults: build, 60, random)
#
# It runs in a network namespace of its own with only loopback up, so the
# application, its pages and the view site talk to nothing but 127.0.0.1; it
# needs root (or unshare rights) and a build configured with a loopback origin.
set -euo pipefail

SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=$(cd "${1:-build}" && pwd)
# The product's names, as the build wrote them.
source "$BUILD_DIR/names.sh"
MINUTES=${2:-60}
SEED=${3:-$RANDOM}

if [[ -z "${TAVELO_CHAOS_ISOLATED:-}" ]]; then
  exec unshare --net -- bash -c 'ip link set lo up && TAVELO_CHAOS_ISOLATED=1 exec "$@"' chaos \
    bash "$0" "$BUILD_DIR" "$MINUTES" "$SEED"
fi
if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]] && command -v dbus-run-session >/dev/null; then
  exec dbus-run-session -- bash "$0" "$BUILD_DIR" "$MINUTES" "$SEED"
fi

ORIGIN=$(sed -n 's/^TAVELO_VIEW_SITE_ORIGIN:[A-Z]*=//p' "$BUILD_DIR/CMakeCache.txt")
[[ "$ORIGIN" =~ ^http://127\.0\.0\.1:([0-9]+)$ ]] || {
  echo "the build's view site is $ORIGIN; the chaos run needs a loopback origin (make build SITE_PORT=...)" >&2
  exit 2
}
PORT=${BASH_REMATCH[1]}
APP="$BUILD_DIR/bin/$TAVELO_PROGRAM_NAME"
RANDOM=$SEED
source "$SOURCE_DIR/bench/lib.sh"
source "$SOURCE_DIR/tests/support/settings_window_points.sh"

start_virtual_screen
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
export HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/runtime"
CONFIG="$HOME/$TAVELO_SETTINGS_RELATIVE_PATH"
mkdir -p "$(dirname "$CONFIG")" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
echo '{"selectedViewID": "crypto_bubbles", "firstLaunchDone": true}' >"$CONFIG"

# The site: the same program the application starts by itself. Dropping it kills
# whichever copy holds the port (ours, or the one the application started again).
site=""  # "up" while the run means the site to be there
site_pid() { { ss -ltnpH "sport = :$PORT" 2>/dev/null | grep -o 'pid=[0-9]*' | head -1 | cut -d= -f2; } || true; }
start_site() {
  site=up
  curl -fsS -o /dev/null "$ORIGIN/" 2>/dev/null && return 0
  "$BUILD_DIR/bin/$TAVELO_SITE_PROGRAM_NAME" --listen "127.0.0.1:$PORT" --data "$WORK/site-data" --no-data-job \
    >>"$WORK/site.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 1 50); do
    curl -fsS -o /dev/null "$ORIGIN/" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "the view site did not start" >&2
  exit 1
}
stop_site() {
  local pid
  site=""
  pid=$(site_pid)
  [[ -n "$pid" ]] || return 0
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
}

web_process() { pgrep -P "$app" -f WebKitWebProcess | head -1; }

# The desktop above the settings window's place: uniform black means nothing drawn.
desktop_is_black() {
  import -window root -crop 1920x240+0+0 "$WORK/probe.png" 2>/dev/null || return 1
  [[ "$(convert "$WORK/probe.png" -colorspace Gray -format '%[fx:standard_deviation < 0.004 && mean < 0.02]' info:)" == 1 ]]
}

# The settings window (opened by launching again), a click on a card, and closed.
cards=("0 crypto_bubbles" "1 crypto_chart" "2 sp500_heatmap")
switch_view() {
  local card index id window
  card=${cards[RANDOM % ${#cards[@]}]}
  read -r index id <<<"$card"
  "$APP" >/dev/null 2>&1 || true
  for _ in $(seq 1 50); do
    window=$(xdotool search --onlyvisible --name "^$TAVELO_SETTINGS_WINDOW_TITLE\$" 2>/dev/null | head -1) && [[ -n "$window" ]] && break
    sleep 0.1
  done
  [[ -n "${window:-}" ]] || { echo "the settings window did not open" >&2; return 0; }
  sleep 0.5
  xdotool mousemove --window "$window" $(settings_card_point "$index") click 1
  sleep 0.5
  xdotool windowactivate --sync "$window" key alt+F4 2>/dev/null || true
  xdotool mousemove 5 5
  echo "$id"
}

start_site
"$APP" 2>"$WORK/app.log" &
app=$!
pids+=($app)
wait_for_picture 60 || { echo "the application drew nothing: $(tail -3 "$WORK/app.log")" >&2; exit 1; }
kill -0 "$app" || { echo "the application did not start: $(tail -3 "$WORK/app.log")" >&2; exit 1; }
pss_start=$(tree_pss_kib "$app")

kills=0 recovered=0 drops=0 switches=0
longest_recovery=0
black_since="" longest_black=0 black_periods=0
# Black while the site is up is a fault; black while a remote view's site is down
# is the dark screen it shows until the site answers.
black_up_since="" longest_black_up=0
pending_kill="" old_web=""
site_back_at=0
next_action=$((SECONDS + 10 + RANDOM % 20))
started=$SECONDS
ends=$((SECONDS + MINUTES * 60))

while ((SECONDS < ends)); do
  kill -0 "$app" 2>/dev/null || { echo "the application ended: $(tail -3 "$WORK/app.log")" >&2; exit 1; }
  now=$SECONDS
  if desktop_is_black; then
    [[ -n "$black_since" ]] || { black_since=$now; black_periods=$((black_periods + 1)); }
    if [[ -n "$site" ]]; then
      [[ -n "$black_up_since" ]] || black_up_since=$now
      ((now - black_up_since > longest_black_up)) && longest_black_up=$((now - black_up_since))
    else
      black_up_since=""
    fi
  else
    black_up_since=""
    if [[ -n "$black_since" ]]; then
      ((now - black_since > longest_black)) && longest_black=$((now - black_since))
      black_since=""
    fi
    # A kill counts as recovered once a new web process draws the desktop.
    current=$(web_process || true)
    if [[ -n "$pending_kill" && -n "$current" && "$current" != "$old_web" ]]; then
      recovered=$((recovered + 1))
      ((now - pending_kill > longest_recovery)) && longest_recovery=$((now - pending_kill))
      pending_kill=""
    fi
  fi
  if [[ -z "$site" ]] && ((now >= site_back_at)); then
    start_site
  fi
  if ((now >= next_action)); then
    case $((RANDOM % 3)) in
    0)
      old_web=$(web_process || true)
      if [[ -n "$old_web" ]]; then
        kill -9 "$old_web"
        kills=$((kills + 1))
        pending_kill=$now
      fi
      ;;
    1)
      if [[ -n "$site" ]]; then
        stop_site
        drops=$((drops + 1))
        site_back_at=$((now + 10 + RANDOM % 80))
      fi
      ;;
    2)
      switch_view >/dev/null
      switches=$((switches + 1))
      ;;
    esac
    next_action=$((SECONDS + 8 + RANDOM % 25))
  fi
  sleep 1
done
[[ -n "$black_since" ]] && ((SECONDS - black_since > longest_black)) && longest_black=$((SECONDS - black_since))
pss_end=$(tree_pss_kib "$app")

reloads=$(grep -c "⚠️ The web process" "$WORK/app.log" || true)
retries=$(grep -c "⚠️ The page did not load" "$WORK/app.log" || true)
printf "chaos run: %d min, seed %d, loopback only\n" "$(((SECONDS - started) / 60))" "$SEED"
printf "| %-44s | %10s |\n" "measure" "value"
printf "| %-44s | %10s |\n" "--------------------------------------------" "----------"
printf "| %-44s | %10d |\n" "web processes killed" "$kills"
printf "| %-44s | %10d |\n" "  recovered (new web process drew again)" "$recovered"
printf "| %-44s | %10d |\n" "  still recovering at the end, or overtaken" "$((kills - recovered))"
printf "| %-44s | %10s |\n" "  slowest recovery seen" "${longest_recovery} s"
printf "| %-44s | %10d |\n" "view site drops (10-90 s each)" "$drops"
printf "| %-44s | %10d |\n" "view switches" "$switches"
printf "| %-44s | %10d |\n" "reload lines in the log" "$reloads"
printf "| %-44s | %10d |\n" "failed loads retried" "$retries"
printf "| %-44s | %10d |\n" "black periods (1 s samples)" "$black_periods"
printf "| %-44s | %10s |\n" "longest black period" "${longest_black} s"
printf "| %-44s | %10s |\n" "  longest of it with the site up" "${longest_black_up} s"
printf "| %-44s | %10s |\n" "PSS of the process tree at start" "$((pss_start / 1024)) MiB"
printf "| %-44s | %10s |\n" "PSS of the process tree at end" "$((pss_end / 1024)) MiB"
