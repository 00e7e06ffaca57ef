#!/usr/bin/env bash
# The built-in view site's idle cost beside the running application: the application
# shows the heat map (so the site serves its page, then only the page's data polls),
# and the site program's PSS and CPU are sampled for a while. Budget: at most 15 MiB
# PSS and about 0 % CPU.
#   bench/site-idle.sh [BUILD_DIR] [SECONDS]
set -euo pipefail

if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then
  # A bus of the run's own, ended with it (with the services it started).
  exec dbus-run-session -- bash "$0" "$@"
fi

BUILD_DIR=$(cd "${1:-build}" && pwd)
# The product's names, as the build wrote them.
source "$BUILD_DIR/names.sh"
SECONDS_TO_WATCH=${2:-60}
SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
APP="$BUILD_DIR/bin/$TAVELO_PROGRAM_NAME"
source "$SOURCE_DIR/bench/lib.sh"
start_virtual_screen
export HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$HOME/${TAVELO_SETTINGS_RELATIVE_PATH%/*}" "$HOME/.config/$TAVELO_PROGRAM_NAME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
echo '{"selectedViewID": "sp500_heatmap", "firstLaunchDone": true}' \
  >"$HOME/$TAVELO_SETTINGS_RELATIVE_PATH"
# The data job runs as in the product, against a closed loopback port (no traffic out).
echo '{"screenerURL": "http://127.0.0.1:9/s", "historyURL": "http://127.0.0.1:9/{symbol}"}' \
  >"$HOME/.config/$TAVELO_PROGRAM_NAME/site.json"
site_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
export TAVELO_TEST_VIEW_SITE_ORIGIN="http://127.0.0.1:$site_port"

"$APP" >/dev/null 2>"$WORK/app.log" &
pids+=($!)
for _ in $(seq 100); do
  site=$({ ss -ltnpH "sport = :$site_port" | grep -o 'pid=[0-9]*' | head -1 | cut -d= -f2; } || true)
  [[ -n "$site" ]] && break
  sleep 0.1
done
[[ -n "${site:-}" ]] || { echo "the application did not start the site: $(cat "$WORK/app.log")" >&2; exit 1; }
pids+=("$site")  # started detached by the application: ended here by its own pid
wait_for_picture 60 || exit 1  # the page, drawn from its first data fetch
ticks_before=$(tree_cpu_ticks "$site")
sleep "$SECONDS_TO_WATCH"
ticks_after=$(tree_cpu_ticks "$site")
pss=$(tree_pss_kib "$site")
rss=$(awk '/^Rss:/ { print $2 }' "/proc/$site/smaps_rollup")
hz=$(getconf CLK_TCK)
awk -v pss="$pss" -v rss="$rss" -v t=$((ticks_after - ticks_before)) -v hz="$hz" -v s="$SECONDS_TO_WATCH" 'BEGIN {
  printf "view site idle beside the application (%d s): PSS %.1f MiB (RSS %.1f MiB), CPU %.2f %%\n",
    s, pss / 1024, rss / 1024, 100 * t / hz / s }'
