#!/usr/bin/env bash
# The wallpaper application against the same page in Chromium's app mode, side by
# side in one run on the same 1920x1080 virtual screen:
#   - process start to the page's first picture on screen (the screen stops being
#     uniformly black; the same measure for both),
#   - CPU seconds per minute of the whole process tree once the page has settled,
#   - PSS of the whole process tree (UI, web and network processes).
#
#   bench/wallpaper-vs-chromium.sh [BUILD_DIR] [SECONDS] [RUNS]   (defaults: build, 60, 3)
set -euo pipefail

BUILD_DIR=$(cd "${1:-build}" && pwd)
MEASURE_SECONDS=${2:-60}
RUNS=${3:-3}
SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
APP="$BUILD_DIR/bin/tavelo-live-wallpaper"
[[ -x "$APP" ]] || { echo "build first: $APP" >&2; exit 1; }
if ! command -v chromium >/dev/null; then
  echo "Installing chromium for the comparison"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends chromium >/dev/null
fi

source "$SOURCE_DIR/bench/lib.sh"
start_virtual_screen

# Chromium gets the same page over loopback (it cannot use the application's scheme).
# (A plain static server: these are the bundle's pages, not the view site.)
page_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$page_port" --bind 127.0.0.1 --directory "$BUILD_DIR/Tavelo Live Wallpaper.app/Contents/Resources" \
  >"$WORK/server.log" 2>&1 &
pids+=($!)
PAGE_ORIGIN="http://127.0.0.1:$page_port"
for _ in $(seq 50); do curl -fsS -o /dev/null "$PAGE_ORIGIN/index.html" && break; sleep 0.1; done

screen_shows_something() {
  import -window root "$WORK/probe.png" 2>/dev/null || return 1
  awk -v v="$(convert "$WORK/probe.png" -colorspace Gray -format '%[fx:standard_deviation]' info:)" \
    'BEGIN { exit !(v > 0.01) }'
}
clear_screen() { xsetroot -solid black 2>/dev/null || true; }

# measure NAME COMMAND...: prints "start_ms cpu_s_per_min pss_mib" for one run.
measure() {
  local start end pid ticks0 ticks1 hz
  hz=$(getconf CLK_TCK)
  start=$(date +%s%N)
  "$@" >"$WORK/out.log" 2>&1 &
  pid=$!
  until screen_shows_something; do
    kill -0 "$pid" 2>/dev/null || { echo "it exited: $(tail -3 "$WORK/out.log")" >&2; return 1; }
    sleep 0.05
  done
  end=$(date +%s%N)
  sleep 10  # let the page settle
  kill -0 "$pid" 2>/dev/null || { echo "it exited early: $(tail -3 "$WORK/out.log")" >&2; return 1; }
  ticks0=$(tree_cpu_ticks "$pid")
  sleep "$MEASURE_SECONDS"
  ticks1=$(tree_cpu_ticks "$pid")
  local pss
  pss=$(tree_pss_kib "$pid")
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pkill -f "$WORK/chromium-profile" 2>/dev/null || true
  sleep 1
  awk -v s="$start" -v e="$end" -v t=$((ticks1 - ticks0)) -v hz="$hz" -v m="$MEASURE_SECONDS" -v p="$pss" \
    'BEGIN { printf "%d %.2f %.0f\n", (e - s) / 1e6, t / hz * 60 / m, p / 1024 }'
}

run_app() {
  export HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/runtime"
  mkdir -p "$HOME/Library/Application Support/Tavelo Live Wallpaper" "$XDG_RUNTIME_DIR"
  echo '{"selectedViewID": "crypto_bubbles", "firstLaunchDone": true}' \
    >"$HOME/Library/Application Support/Tavelo Live Wallpaper/config.json"
  exec "$APP"
}
run_chromium() {
  rm -rf "$WORK/chromium-profile"
  exec chromium --no-sandbox --disable-gpu --no-first-run --disable-background-networking --disable-component-update \
    --disable-sync --disable-dev-shm-usage --user-data-dir="$WORK/chromium-profile" \
    --window-position=0,0 --window-size=1920,1080 --app="$PAGE_ORIGIN/index.html?darkened=1"
}

median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

printf "%-34s %14s %16s %10s\n" "crypto bubbles, darkened, 1920x1080" "start→page ms" "CPU s per minute" "PSS MiB"
for subject in app chromium; do
  : >"$WORK/$subject.runs"
  for _ in $(seq "$RUNS"); do
    clear_screen
    measure "run_$subject" >>"$WORK/$subject.runs"
  done
  label=$([[ $subject == app ]] && echo "Tavelo Live Wallpaper (WebKitGTK)" || echo "Chromium --app")
  printf "%-34s %14s %16s %10s\n" "$label" \
    "$(cut -d' ' -f1 "$WORK/$subject.runs" | median)" \
    "$(cut -d' ' -f2 "$WORK/$subject.runs" | median)" \
    "$(cut -d' ' -f3 "$WORK/$subject.runs" | median)"
done
echo "(medians of $RUNS runs; CPU measured over ${MEASURE_SECONDS} s after 10 s of settling)"
