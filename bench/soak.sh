#!/usr/bin/env bash
# A long run of the wallpaper application with a view switch (a click on a card of the
# settings window, as a user makes it) every SWITCH minutes. Every sample prints the
# whole tree's PSS (UI, web and network processes and the view-site server), its private
# dirty memory, open file descriptors and threads; the end says, view by view over the
# visits that begin after the first 10 minutes (the first quarter of a run shorter than
# 40 minutes), whether PSS stayed within 5 % of the view's level and whether descriptors
# and threads grew (bench/soak-judge.awk).
# Exit status 0 when all three hold, 1 when not.
#
#   bench/soak.sh [BUILD_DIR] [MINUTES] [SWITCH_MINUTES] [SAMPLE_SECONDS]
#     defaults: build, 120, 10, 60
set -euo pipefail

if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then
  exec dbus-run-session -- bash "$0" "$@"
fi

BUILD_DIR=$(cd "${1:-build}" && pwd)
# The product's names, as the build wrote them.
source "$BUILD_DIR/names.sh"
MINUTES=${2:-120}
SWITCH_MINUTES=${3:-10}
SAMPLE_SECONDS=${4:-60}
SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
APP="$BUILD_DIR/bin/$TAVELO_PROGRAM_NAME"
[[ -x "$APP" ]] || { echo "build first: $APP" >&2; exit 1; }

source "$SOURCE_DIR/bench/lib.sh"
source "$SOURCE_DIR/tests/support/settings_window_points.sh"
start_virtual_screen
start_view_site "$BUILD_DIR" "$SOURCE_DIR"
start_application_with_view crypto_bubbles

# The settings window stays open for the whole run: its cards are what the user clicks.
"$APP" >>"$WORK/second.log" 2>&1 || true
settings=
for _ in $(seq 100); do
  settings=$(xdotool search --onlyvisible --name "^$TAVELO_SETTINGS_WINDOW_TITLE\$" 2>/dev/null | head -1) && [[ -n "$settings" ]] && break
  sleep 0.2
done
[[ -n "$settings" ]] || { echo "the settings window did not open" >&2; exit 1; }

# The selectable cards (the fourth is coming soon), in catalogue order.
VIEWS=(crypto_bubbles crypto_chart sp500_heatmap)
current=0
switch_view() {
  current=$(( (current + 1) % ${#VIEWS[@]} ))
  xdotool mousemove --window "$settings" $(settings_card_point "$current") click 1
  xdotool mousemove 5 5
}

# A sample: "minute view pss_mib dirty_mib fds threads"; the view as config.json has it.
sample() {
  local pss=$(( $(tree_pss_kib "$app") + $( [[ -n "$SITE_PID" ]] && tree_pss_kib "$SITE_PID" || echo 0) ))
  local dirty=$(( $(tree_private_dirty_kib "$app") + $( [[ -n "$SITE_PID" ]] && tree_private_dirty_kib "$SITE_PID" || echo 0) ))
  # The view as stored by the click, so a click that missed shows.
  local view
  view=$(sed -n 's/.*"selectedViewID" *: *"\([^"]*\)".*/\1/p' "$HOME/$TAVELO_SETTINGS_RELATIVE_PATH")
  printf "%7.1f %-15s %8d %8d %6d %8d\n" "$1" "${view:-?}" $((pss / 1024)) $((dirty / 1024)) \
    "$(tree_fd_count "$app")" "$(tree_thread_count "$app")"
}

reference_minute=10
(( MINUTES < 40 )) && reference_minute=$(awk -v m="$MINUTES" 'BEGIN { print m / 4 }')
echo "soak: ${MINUTES} min, a view switch every ${SWITCH_MINUTES} min, reference level at minute ${reference_minute}"
echo "$(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo); 1920x1080 software rendering"
printf "%7s %-15s %8s %8s %6s %8s\n" "minute" "view" "PSS MiB" "dirty" "fds" "threads"
: >"$WORK/samples"
started=$(date +%s)
next_switch=$((SWITCH_MINUTES * 60))
while :; do
  elapsed=$(( $(date +%s) - started ))
  kill -0 "$app" 2>/dev/null || { echo "the application ended: $(tail -3 "$WORK/app.log")"; exit 1; }
  # Sampled before a switch, never in the seconds after it: a page half loaded in a
  # new web process is no level to judge by.
  line=$(sample "$(awk -v s="$elapsed" 'BEGIN { print s / 60 }')")
  echo "$line" | tee -a "$WORK/samples"
  (( elapsed >= MINUTES * 60 )) && break
  if (( elapsed >= next_switch )); then
    switch_view
    next_switch=$((next_switch + SWITCH_MINUTES * 60))
  fi
  sleep "$SAMPLE_SECONDS"
done

warn_if_webkit_is_shared "$app"
# Each view judged against itself, on its visits after the reference minute (bench/soak-judge.awk).
awk -v ref="$reference_minute" -f "$SOURCE_DIR/bench/soak-judge.awk" "$WORK/samples"
