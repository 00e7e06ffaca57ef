#!/usr/bin/env bash
# Memory of the wallpaper's whole process tree (PSS: UI, web and network processes)
# sampled every minute while it shows one view, to see whether it grows.
#
#   bench/memory-over-time.sh [BUILD_DIR] [MINUTES] [VIEW_ID]   (defaults: build, 60, crypto_bubbles)
set -euo pipefail

BUILD_DIR=$(cd "${1:-build}" && pwd)
# The product's names, as the build wrote them.
source "$BUILD_DIR/names.sh"
MINUTES=${2:-60}
VIEW=${3:-crypto_bubbles}
SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
APP="$BUILD_DIR/bin/$TAVELO_PROGRAM_NAME"
source "$SOURCE_DIR/bench/lib.sh"
start_virtual_screen
export HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$HOME/${TAVELO_SETTINGS_RELATIVE_PATH%/*}" "$XDG_RUNTIME_DIR"
echo "{\"selectedViewID\": \"$VIEW\", \"firstLaunchDone\": true}" \
  >"$HOME/$TAVELO_SETTINGS_RELATIVE_PATH"
# The view site on a free port of the benchmark's own (the same program the product runs).
site_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
export TAVELO_TEST_VIEW_SITE_ORIGIN="http://127.0.0.1:$site_port"
"$BUILD_DIR/bin/$TAVELO_SITE_PROGRAM_NAME" --listen "127.0.0.1:$site_port" --no-data-job --data "$WORK/site-data" \
  >/dev/null 2>&1 &
pids+=($!)

"$APP" 2>"$WORK/app.log" &
app=$!
pids+=($app)

sleep 15
echo "minute  PSS MiB ($VIEW, 1920x1080)"
for minute in $(seq 0 "$MINUTES"); do
  kill -0 "$app" 2>/dev/null || { echo "the application ended: $(tail -3 "$WORK/app.log")"; exit 1; }
  printf "%6d  %7d\n" "$minute" "$(($(tree_pss_kib "$app") / 1024))"
  ((minute == MINUTES)) || sleep 60
done
