#!/usr/bin/env bash
# A long run of the wallpaper application with a view switch (a click on a card of the
# settings window, as a user makes it) every SWITCH minutes. Every sample prints the
# whole tree's PSS (UI, web and network processes and the view-site server), its open
# file descriptors and threads; the end says whether
#   - PSS stayed within 5 % of its level after the first 10 minutes (after the first
#     quarter of the run when the run is shorter than 40 minutes),
#   - the descriptor and thread counts did not grow past that level (the lowest of the
#     last three samples is compared, so a worker thread of the moment does not count).
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
start_virtual_screen
start_view_site "$BUILD_DIR" "$SOURCE_DIR"
fresh_home_with_view crypto_bubbles

"$APP" >"$WORK/app.log" 2>&1 &
app=$!
pids+=($app)
for _ in $(seq 100); do grep -q "App did finish launching" "$WORK/app.log" && break; sleep 0.2; done

# The settings window stays open for the whole run: its cards are what the user clicks.
"$APP" >>"$WORK/second.log" 2>&1 || true
settings=
for _ in $(seq 100); do
  settings=$(xdotool search --onlyvisible --name "^$TAVELO_SETTINGS_WINDOW_TITLE\$" 2>/dev/null | head -1) && [[ -n "$settings" ]] && break
  sleep 0.2
done
[[ -n "$settings" ]] || { echo "the settings window did not open" >&2; exit 1; }

# The selectable cards (the fourth is coming soon), in window coordinates.
VIEWS=(crypto_bubbles crypto_chart sp500_heatmap)
CARD_X=(150 400 150)
CARD_Y=(160 160 380)
current=0
switch_view() {
  current=$(( (current + 1) % ${#VIEWS[@]} ))
  xdotool mousemove --window "$settings" "${CARD_X[current]}" "${CARD_Y[current]}" click 1
  xdotool mousemove 5 5
}

# A sample: "minute view pss_mib private_mib fds threads"; the view as config.json has it.
sample() {
  local pss=$(( $(tree_pss_kib "$app") + $( [[ -n "$SITE_PID" ]] && tree_pss_kib "$SITE_PID" || echo 0) ))
  local private=$(( $(tree_private_kib "$app") + $( [[ -n "$SITE_PID" ]] && tree_private_kib "$SITE_PID" || echo 0) ))
  # The view as stored by the click, so a click that missed shows.
  local view
  view=$(sed -n 's/.*"selectedViewID" *: *"\([^"]*\)".*/\1/p' "$HOME/$TAVELO_SETTINGS_RELATIVE_PATH")
  printf "%7.1f %-15s %8d %8d %6d %8d\n" "$1" "${view:-?}" $((pss / 1024)) $((private / 1024)) \
    "$(tree_fd_count "$app")" "$(tree_thread_count "$app")"
}

reference_minute=10
(( MINUTES < 40 )) && reference_minute=$(awk -v m="$MINUTES" 'BEGIN { print m / 4 }')
echo "soak: ${MINUTES} min, a view switch every ${SWITCH_MINUTES} min, reference level at minute ${reference_minute}"
echo "$(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo); 1920x1080 software rendering"
printf "%7s %-15s %8s %8s %6s %8s\n" "minute" "view" "PSS MiB" "private" "fds" "threads"
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

# Judged from the first sample at or after the reference minute. PSS is the measure;
# private memory is printed beside it because PSS also moves when other programs on the
# machine load or drop the same libraries, which is no growth of ours.
awk -v ref="$reference_minute" '
  $1 >= ref && !have { have = 1; pss0 = $3; pr0 = $4; fd0 = $5; th0 = $6; at = $1 }
  have { d = ($3 - pss0) / pss0; if (d > up) up = d; if (d < down) down = d
         p = ($4 - pr0) / pr0; if (p > pup) pup = p; if (p < pdown) pdown = p
         if ($5 > fdmax) fdmax = $5; if ($6 > thmax) thmax = $6; n++; fds[n % 3] = $5; ths[n % 3] = $6 }
  END {
    if (!have) { print "not judged: the run ended before the reference minute"; exit 1 }
    # The floor of the last three samples: a worker thread that comes and goes is not growth.
    lastfd = fds[n % 3]; lastth = ths[n % 3]
    for (i in fds) { if (fds[i] < lastfd) lastfd = fds[i]; if (ths[i] < lastth) lastth = ths[i] }
    ok_pss = (up <= 0.05 && down >= -0.05); ok_fd = (lastfd <= fd0); ok_th = (lastth <= th0)
    printf "reference at minute %.1f: PSS %d MiB (private %d MiB), %d fds, %d threads\n", at, pss0, pr0, fd0, th0
    printf "PSS within %+.1f %% .. %+.1f %% of it: %s\n", 100 * down, 100 * up, ok_pss ? "OK" : "OVER 5 %"
    printf "private memory within %+.1f %% .. %+.1f %% of it\n", 100 * pdown, 100 * pup
    printf "fds at the end %d (highest %d): %s\n", lastfd, fdmax, ok_fd ? "no growth" : "GREW"
    printf "threads at the end %d (highest %d): %s\n", lastth, thmax, ok_th ? "no growth" : "GREW"
    exit !(ok_pss && ok_fd && ok_th)
  }' "$WORK/samples"
