#!/usr/bin/env bash
# Memory of the wallpaper's whole process tree (PSS: UI, web and network processes)
# sampled every minute while it shows one view, to see whether it grows.
#
#   bench/memory-over-time.sh [BUILD_DIR] [MINUTES] [VIEW_ID]   (defaults: build, 60, crypto_bubbles)
set -euo pipefail

BUILD_DIR=$(cd "${1:-build}" && pwd)
MINUTES=${2:-60}
VIEW=${3:-crypto_bubbles}
SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
APP="$BUILD_DIR/bin/tavelo-live-wallpaper"
source "$SOURCE_DIR/bench/lib.sh"
start_virtual_screen
export HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$HOME/Library/Application Support/Tavelo Live Wallpaper" "$XDG_RUNTIME_DIR"
echo "{\"selectedViewID\": \"$VIEW\", \"firstLaunchDone\": true}" \
  >"$HOME/Library/Application Support/Tavelo Live Wallpaper/config.json"
if [[ "${TAVELO_VIEW_SITE_ORIGIN:-http://127.0.0.1:47831}" =~ :([0-9]+)$ ]] &&
  ! curl -fsS -o /dev/null "http://127.0.0.1:${BASH_REMATCH[1]}/" 2>/dev/null; then
  node "$SOURCE_DIR/scripts/serve-site.mjs" --root "$BUILD_DIR/site" --port "${BASH_REMATCH[1]}" \
    --host 127.0.0.1 >/dev/null 2>&1 &
  pids+=($!)
fi

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
