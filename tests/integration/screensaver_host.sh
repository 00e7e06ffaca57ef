#!/usr/bin/env bash
# The screen-saver host on a virtual display: it draws the selected page into a window
# that another client made, stops with the right lines on SIGTERM or when that window
# goes, and fails with one clear line.
set -euo pipefail
source "$(dirname "$0")/screensaver_lib.sh"

start_xvfb
stop_lines_full=$'🛑 screenSaverWillStop\n🛑 stopAnimation called, cleaning up WebView'

# --- A full-screen run inside a foreign window, ended by SIGTERM -------------------------
open_target full 1920 1080 0 0
XSCREENSAVER_WINDOW="$TARGET_full" "$HOST" --root >"$WORK/full.log" 2>&1 &
host=$!
PIDS_TO_END+=($host)
wait_for_line "$WORK/full.log" "✅ Finished loading." 40
shot_until_drawn "$SHOTS/foreign-window-full.png" 1920x1080+0+0
log_texts "$WORK/full.log" | grep -qx "✅ Init ScreenSaver code" || fail "no init line"
children=$(pgrep -P "$host" || true)

kill -TERM "$host"
wait_for_exit "$host" 3
((EXIT_STATUS == 0)) || fail "SIGTERM gave exit status $EXIT_STATUS"
[[ "$(log_texts "$WORK/full.log" | grep '^🛑')" == "$stop_lines_full" ]] ||
    fail "stop lines: $(log_texts "$WORK/full.log" | grep '^🛑')"
# shellcheck disable=SC2086
wait_until_gone $children
# The foreign window is still there and still its owner's.
xwininfo -id "$TARGET_full" >/dev/null || fail "the host took the foreign window with it"
destroy_target full

# --- A preview (a small window) stops, stays, and the host ends itself ------------------
open_target preview 320 240 100 100
"$HOST" -window-id "$TARGET_preview" >"$WORK/preview.log" 2>&1 &
host=$!
PIDS_TO_END+=($host)
wait_for_line "$WORK/preview.log" "✅ Finished loading." 40
shot_until_drawn "$SHOTS/foreign-window-preview.png" 320x240+100+100
outside=$(colours_in "$SHOTS/foreign-window-preview.png" 300x300+600+600)
((outside == 1)) || fail "the preview drew outside its window"
start=$(date +%s%N)
kill -TERM "$host"
wait_for_exit "$host" 3
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
((EXIT_STATUS == 0)) || fail "preview exit status $EXIT_STATUS"
((elapsed_ms < 2500)) || fail "the preview host took $elapsed_ms ms to end"
[[ "$(log_texts "$WORK/preview.log" | grep '^🛑')" == "$stop_lines_full"$'\n🛑 Wallpaper deinit called' ]] ||
    fail "preview stop lines: $(log_texts "$WORK/preview.log" | grep '^🛑')"
destroy_target preview

# --- The target window goes away: the same stop ------------------------------------------
open_target gone 1920 1080 0 0
"$HOST" --window-id="$TARGET_gone" >"$WORK/gone.log" 2>&1 &
host=$!
PIDS_TO_END+=($host)
wait_for_line "$WORK/gone.log" "✅ Finished loading." 40
destroy_target gone
wait_for_exit "$host" 3
((EXIT_STATUS == 0)) || fail "a vanished window gave exit status $EXIT_STATUS"
[[ "$(log_texts "$WORK/gone.log" | grep '^🛑')" == "$stop_lines_full" ]] ||
    fail "stop lines after the window went: $(log_texts "$WORK/gone.log" | grep '^🛑')"

# --- The host's own failures: one ❌ line, status 1 -------------------------------------
expect_failure() {
    local name=$1 expected=$2
    shift 2
    set +e
    "$@" >"$WORK/$name.log" 2>&1
    local status=$?
    set -e
    ((status == 1)) || fail "$name: exit status $status"
    [[ "$(log_texts "$WORK/$name.log" | grep -c '❌')" == 1 ]] || fail "$name: not one ❌ line"
    log_texts "$WORK/$name.log" | grep -q "^❌ $expected" || fail "$name: $(cat "$WORK/$name.log")"
}
expect_failure bad-id "Bad window id" "$HOST" -window-id 0xZZ
expect_failure no-window "No such window: 0x1ffff00" "$HOST" --window-id 0x1ffff00
expect_failure bad-env "Bad window id in XSCREENSAVER_WINDOW" env XSCREENSAVER_WINDOW=nonsense "$HOST" -root
mkdir -p "$WORK/lonely/bin"
cp "$HOST" "$HOST-host" "$WORK/lonely/bin/"
expect_failure no-bundle "Cannot find $TAVELO_SAVER_BUNDLE_NAME" "$WORK/lonely/bin/$TAVELO_HOST_PROGRAM_NAME"
cp -r "$SAVER_BUNDLE" "$WORK/NoClass.saver"
sed -i 's/"NSPrincipalClass": "[^"]*"/"NSPrincipalClass": "NoSuchView"/' "$WORK/NoClass.saver/Contents/Info.json"
expect_failure no-class "No class NoSuchView" "$HOST" --saver "$WORK/NoClass.saver"
cp -r "$SAVER_BUNDLE" "$WORK/NoModule.saver"
rm "$WORK/NoModule.saver/Contents/Linux/"*.so
expect_failure no-module "No module at" "$HOST" --saver "$WORK/NoModule.saver"

echo "PASS"
