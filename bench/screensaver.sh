#!/usr/bin/env bash
# Screen-saver host timings on a virtual display, as XScreenSaver runs it (inside a
# window of another client): process start to the first "✅ Finished loading." line,
# and SIGTERM to the process's exit. Prints each run and the medians.
#
#   bench/screensaver.sh [BUILD_DIR] [RUNS]     (defaults: build, 9)
set -euo pipefail

BUILD_DIR=$(cd "${1:-build}" && pwd)
# The product's names, as the build wrote them.
source "$BUILD_DIR/names.sh"
RUNS=${2:-9}
HOST="$BUILD_DIR/bin/$TAVELO_HOST_PROGRAM_NAME"
X_TEST_WINDOW="$BUILD_DIR/bin/tavelo-test-x-client-window"
[[ -x "$HOST" && -x "$X_TEST_WINDOW" ]] || { echo "build first: $HOST and $X_TEST_WINDOW" >&2; exit 1; }

WORK=$(mktemp -d)
XVFB_PID=
WINDOW_PID=
cleanup() {
    [[ -n "$WINDOW_PID" ]] && kill "$WINDOW_PID" 2>/dev/null
    [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp 5>"$WORK/display" >/dev/null 2>&1 &
XVFB_PID=$!
for _ in $(seq 100); do [[ -s "$WORK/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(cat "$WORK/display")"

mkfifo "$WORK/ctl"
"$X_TEST_WINDOW" saver override 0x404040 1920 1080 0 0 <"$WORK/ctl" >"$WORK/id" &
WINDOW_PID=$!
exec 7>"$WORK/ctl"
for _ in $(seq 50); do [[ -s "$WORK/id" ]] && break; sleep 0.1; done
export XSCREENSAVER_WINDOW=$(cat "$WORK/id")

now_ms() { echo $(($(date +%s%N) / 1000000)); }
# The log line's own time (local wall clock, ms) as epoch milliseconds.
line_ms() {
    local stamp
    stamp=$(grep -m1 -F "$2" "$1" | cut -d' ' -f1,2)
    echo $(($(date -d "${stamp%.*}" +%s) * 1000 + 10#${stamp##*.}))
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

: >"$WORK/starts"
: >"$WORK/stops"
for run in $(seq "$RUNS"); do
    log="$WORK/run$run.log"
    start=$(now_ms)
    "$HOST" --root >"$log" 2>&1 &
    host=$!
    for _ in $(seq 600); do grep -qF "✅ Finished loading." "$log" && break; sleep 0.05; done
    grep -qF "✅ Finished loading." "$log" || { echo "run $run: no finished load" >&2; cat "$log" >&2; exit 1; }
    first_load=$(($(line_ms "$log" "✅ Finished loading.") - start))
    sleep 1
    term=$(now_ms)
    kill -TERM "$host"
    wait "$host" || true
    stop=$(($(now_ms) - term))
    echo "run $run: start to first finished load ${first_load} ms, SIGTERM to exit ${stop} ms"
    echo "$first_load" >>"$WORK/starts"
    echo "$stop" >>"$WORK/stops"
done
echo "median over $RUNS runs: start to first finished load $(median <"$WORK/starts") ms, SIGTERM to exit $(median <"$WORK/stops") ms"
