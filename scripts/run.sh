#!/usr/bin/env bash
# Starts the application built against the loopback view site; the application starts
# the site (build/bin/tavelo-live-wallpaper-site, serving build/site) itself, as the
# installed product does. With no display at all, it runs on a virtual display of its own
# and writes screenshots of the desktop it shows instead.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
source "$BUILD_DIR/names.sh"
APP="$BUILD_DIR/bin/$TAVELO_PROGRAM_NAME"
SHOTS="$PWD/screenshots"
pids=()
app=""
cleanup() {
  # The application first: when it ends, the session bus started for it ends too.
  if [[ -n "$app" ]]; then
    pkill -TERM -P "$app" 2>/dev/null || true
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  fi
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT
trap 'exit 0' INT TERM

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  "$APP" &
  app=$!
  wait "$app" && status=0 || status=$?
  app=""
  exit $status
fi

echo "No display found: running on a virtual 1920x1080 desktop."
export NO_AT_BRIDGE=1
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
read -t 10 -u "$fd" number || { echo "❌ Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
if command -v dbus-run-session >/dev/null && [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then
  dbus-run-session -- "$APP" &
else
  "$APP" &
fi
app=$!

mkdir -p "$SHOTS"
shoot() {
  local file="$SHOTS/desktop-$1.png"
  import -window root "$file" 2>/dev/null && echo "🖼 Screenshot of the virtual desktop: $file"
}
sleep 4 && shoot first
sleep 8 && shoot settled
echo "Running on $DISPLAY; a new screenshot every minute in $SHOTS (Ctrl+C to stop)."
end=$((SECONDS + ${TAVELO_RUN_SECONDS:-31536000}))
while kill -0 "$app" 2>/dev/null && ((SECONDS < end)); do
  remaining=$((end - SECONDS))
  sleep $((remaining < 60 ? (remaining > 0 ? remaining : 1) : 60)) & wait $! || true
  kill -0 "$app" 2>/dev/null && shoot latest
done
