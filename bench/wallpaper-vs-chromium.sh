#!/usr/bin/env bash
# Every view of the wallpaper application against the same page in Chromium's app mode,
# side by side in one run on the same 1920x1080 virtual screen, and against a naive page
# that redraws everything every frame (in a bare WebKitGTK view):
#   - start: process start to the first picture on screen (the screen stops being one
#     uniform colour; the same measure for both),
#   - CPU animating: the first 15 s after the first picture (loading, fonts, any motion),
#   - CPU settled: the next SECONDS,
#   - CPU hidden: the same length with the wallpaper hidden from its tray menu,
#   - PSS of the whole process tree (UI, web and network processes; for the application
#     also the view-site server it is served by), with the settings window closed and open,
#     and the tree's private dirty memory (settings closed: what it wrote and nobody
#     shares), which does not move when other programs on the machine map the same
#     libraries.
# CPU is in % of one core (1 % = 0.6 CPU s per minute). Absolute figures on a shared
# machine are indicative only: read the ratios, which come from one run.
#
#   bench/wallpaper-vs-chromium.sh [BUILD_DIR] [SECONDS] [RUNS] [VIEWS]
#     defaults: build, 30, 1, crypto_bubbles,crypto_chart,sp500_heatmap,stocks_chart
set -euo pipefail

if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then
  # The tray menu (used to hide the wallpaper) lives on a session bus.
  exec dbus-run-session -- bash "$0" "$@"
fi

BUILD_DIR=$(cd "${1:-build}" && pwd)
# The product's names, as the build wrote them.
source "$BUILD_DIR/names.sh"
MEASURE_SECONDS=${2:-30}
RUNS=${3:-1}
IFS=, read -r -a VIEWS <<<"${4:-crypto_bubbles,crypto_chart,sp500_heatmap,stocks_chart}"
ANIMATION_SECONDS=15
SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
APP="$BUILD_DIR/bin/$TAVELO_PROGRAM_NAME"
PROBE="$BUILD_DIR/bin/webkit-page-probe"
[[ -x "$APP" && -x "$PROBE" ]] || { echo "build first: $APP and $PROBE" >&2; exit 1; }
if ! command -v chromium >/dev/null; then
  echo "Installing chromium for the comparison"
  flock /tmp/apt.lock env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends chromium >/dev/null
fi

source "$SOURCE_DIR/bench/lib.sh"
source "$SOURCE_DIR/tests/integration/tray_lib.sh"
start_virtual_screen
start_view_site "$BUILD_DIR" "$SOURCE_DIR"

# Chromium gets the bundled pages over loopback (it cannot use the application's scheme);
# a plain static server, since these are the bundle's pages, not the view site.
page_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$page_port" --bind 127.0.0.1 --directory "$BUILD_DIR/$TAVELO_APP_BUNDLE_NAME/Contents/Resources" \
  >"$WORK/bundle-server.log" 2>&1 &
pids+=($!)
BUNDLE_ORIGIN="http://127.0.0.1:$page_port"
for _ in $(seq 50); do curl -fsS -o /dev/null "$BUNDLE_ORIGIN/index.html" && break; sleep 0.1; done

HZ=$(getconf CLK_TCK)
clear_screen() { xsetroot -solid black 2>/dev/null || true; }
now_ns() { date +%s%N; }
# CPU of a tree over a span, in % of one core.
percent_of_core() { awk -v t="$1" -v hz="$HZ" -v s="$2" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }
mib() { echo $(($1 / 1024)); }
site_pss_kib() { if [[ -n "$SITE_PID" ]]; then tree_pss_kib "$SITE_PID"; else echo 0; fi; }
site_private_dirty_kib() { if [[ -n "$SITE_PID" ]]; then tree_private_dirty_kib "$SITE_PID"; else echo 0; fi; }

page_address() {
  case $1 in
    crypto_bubbles) echo "$BUNDLE_ORIGIN/index.html?darkened=1" ;;
    crypto_chart) echo "$BUNDLE_ORIGIN/chartIndex.html?darkened=1" ;;
    sp500_heatmap) echo "$SITE_ORIGIN/view.html?darkened=1" ;;
    stocks_chart) echo "$SITE_ORIGIN/stockView.html?darkened=1" ;;
    *) echo "$SITE_ORIGIN/view.html?darkened=1" ;;
  esac
}

# Starts "$@" in the background and waits for the first picture; sets STARTED (its
# pid) and START_MS (the milliseconds that took). Not to be called in a subshell.
start_until_picture() {
  local start
  clear_screen
  start=$(now_ns)
  "$@" >"$WORK/out.log" 2>&1 &
  STARTED=$!
  until screen_shows_something; do
    kill -0 "$STARTED" 2>/dev/null || { echo "it exited: $(tail -3 "$WORK/out.log")" >&2; return 1; }
    (( $(now_ns) - start < 60000000000 )) || { echo "no picture within 60 s: $*" >&2; end_tree "$STARTED"; return 1; }
    sleep 0.05
  done
  START_MS=$(( ($(now_ns) - start) / 1000000 ))
}

# cpu_over PID SECONDS: % of one core the tree used over the next SECONDS.
cpu_over() {
  local before after
  before=$(tree_cpu_ticks "$1")
  sleep "$2"
  after=$(tree_cpu_ticks "$1")
  percent_of_core $((after - before)) "$2"
}

# One run of the application on view $1:
# "start anim settled hidden pss_closed pss_open"
measure_app() {
  local start anim settled hidden closed open dirty bus
  fresh_home_with_view "$1"
  start_until_picture "$APP" || return 1
  local app=$STARTED
  start=$START_MS
  anim=$(cpu_over "$app" "$ANIMATION_SECONDS")
  settled=$(cpu_over "$app" "$MEASURE_SECONDS")
  closed=$(( $(tree_pss_kib "$app") + $(site_pss_kib) ))
  warn_if_webkit_is_shared "$app" >&2
  dirty=$(( $(tree_private_dirty_kib "$app") + $(site_private_dirty_kib) ))
  hidden=-
  if bus=$(bus_name_of "$app") && click_entry "$bus" "Hide Wallpaper"; then
    sleep 3
    hidden=$(cpu_over "$app" "$MEASURE_SECONDS")
    click_entry "$bus" "Show Wallpaper" || true
    # Shown again, the engine keeps a second picture of the page for some ten seconds:
    # not what the settings window costs.
    sleep 12
  fi
  # Launching again brings the running instance's settings window forward.
  "$APP" >>"$WORK/second.log" 2>&1 || true
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^$TAVELO_SETTINGS_WINDOW_TITLE\$" >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 3
  open=$(( $(tree_pss_kib "$app") + $(site_pss_kib) ))
  end_tree "$app"
  echo "$start $anim $settled $hidden $(mib "$closed") $(mib "$open") $(mib "$dirty")"
}

measure_chromium() {
  local start anim settled pss dirty
  rm -rf "$WORK/chromium-profile"
  start_until_picture chromium --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --disable-dev-shm-usage --user-data-dir="$WORK/chromium-profile" \
    --window-position=0,0 --window-size=1920,1080 --app="$(page_address "$1")" || return 1
  local browser=$STARTED
  start=$START_MS
  anim=$(cpu_over "$browser" "$ANIMATION_SECONDS")
  settled=$(cpu_over "$browser" "$MEASURE_SECONDS")
  pss=$(tree_pss_kib "$browser")
  dirty=$(tree_private_dirty_kib "$browser")
  end_tree "$browser"
  pkill -f -- "--user-data-dir=$WORK/chromium-profile" 2>/dev/null || true
  sleep 1
  echo "$start $anim $settled - $(mib "$pss") - $(mib "$dirty")"
}

# The naive baseline: the bubbles redrawn in full every frame, settled CPU only.
measure_naive() {
  clear_screen
  "$PROBE" --url "file://$SOURCE_DIR/bench/pages/naive-bubbles.html" --width 1920 --height 1080 \
    --wait-ms $(( (10 + MEASURE_SECONDS + 10) * 1000 )) >/dev/null 2>&1 &
  local probe=$!
  sleep 10
  local cpu
  cpu=$(cpu_over "$probe" "$MEASURE_SECONDS")
  end_tree "$probe"
  echo "$cpu"
}

median() { sort -n | awk '{ a[NR] = $1 } END { if (NR == 0 || a[1] == "-") print "-"; else print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
# column N of a runs file, median over the runs
col() { cut -d' ' -f"$2" "$1" | median; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "-" || b == "-" || b + 0 == 0) print "-"; else printf "%.2f", a / b }'; }
ratio4() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "-" || b == "-" || b + 0 == 0) print "-"; else printf "%.4f", a / b }'; }

: >"$WORK/naive.runs"
for _ in $(seq "$RUNS"); do measure_naive >>"$WORK/naive.runs"; done
NAIVE=$(median <"$WORK/naive.runs")

for view in "${VIEWS[@]}"; do
  for subject in app chromium; do
    : >"$WORK/$view.$subject.runs"
    for _ in $(seq "$RUNS"); do
      # A run that fails is reported and left out; the table goes on.
      "measure_$subject" "$view" >>"$WORK/$view.$subject.runs" || echo "$subject on $view: run failed" >&2
    done
  done
done

machine="$(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo), $(free -g | awk '/^Mem:/ { print $2 }') GiB"
echo "1920x1080 software rendering, darkened pages; $machine; load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "medians of $RUNS run(s); CPU in % of one core: animating = first ${ANIMATION_SECONDS} s after the first picture, settled and hidden over ${MEASURE_SECONDS} s"
printf "%-15s %-9s %9s %8s %8s %8s %11s %11s %9s\n" "view" "" "start ms" "CPU anim" "settled" "hidden" "PSS closed" "PSS open" "dirty"
for view in "${VIEWS[@]}"; do
  for subject in app chromium; do
    runs="$WORK/$view.$subject.runs"
    printf "%-15s %-9s %9s %8s %8s %8s %11s %11s %9s\n" "$view" "$([[ $subject == app ]] && echo wallpaper || echo Chromium)" \
      "$(col "$runs" 1)" "$(col "$runs" 2)" "$(col "$runs" 3)" "$(col "$runs" 4)" "$(col "$runs" 5)" "$(col "$runs" 6)" \
      "$(col "$runs" 7)"
  done
done
printf "%-15s %-9s %9s %8s %8s\n" "naive page" "WebKit" "-" "-" "$NAIVE"
echo
echo "ratios (wallpaper / Chromium, and settled CPU / naive page; targets: start ≤ 1, PSS ≤ 0.5, CPU ≤ 0.1 of naive, hidden ≤ 0.5 %)"
printf "%-15s %8s %11s %11s %9s %12s %12s\n" "view" "start" "PSS closed" "PSS open" "dirty" "CPU/Chromium" "CPU/naive"
for view in "${VIEWS[@]}"; do
  app="$WORK/$view.app.runs" chr="$WORK/$view.chromium.runs"
  printf "%-15s %8s %11s %11s %9s %12s %12s\n" "$view" "$(ratio "$(col "$app" 1)" "$(col "$chr" 1)")" \
    "$(ratio "$(col "$app" 5)" "$(col "$chr" 5)")" "$(ratio "$(col "$app" 6)" "$(col "$chr" 5)")" \
    "$(ratio "$(col "$app" 7)" "$(col "$chr" 7)")" \
    "$(ratio "$(col "$app" 3)" "$(col "$chr" 3)")" "$(ratio4 "$(col "$app" 3)" "$NAIVE")"
done

# The view-site program on its own beside the running application, idle: the table's
# last row (budget: at most 15 MiB PSS, about 0 % CPU).
echo
printf "%-15s %s\n" "view site, idle" "$(bash "$SOURCE_DIR/bench/site-idle.sh" "$BUILD_DIR" 20 | tail -1)"
