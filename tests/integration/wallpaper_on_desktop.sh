#!/usr/bin/env bash
# The real application on a virtual desktop with a window manager: first launch
# writes the settings and the autostart entry, the wallpaper is a desktop-type
# window on every workspace showing the page, and a second launch adds nothing.
source "$(dirname "$0")/lib.sh"

start_display
start_window_manager
start_site
use_temporary_home

"$APP" 2>"$WORK/app.log" &
app=$!
track $app

wait_for 20 log_has_line_ending "$WORK/app.log" "App did finish launching" || fail "no launch line: $(cat "$WORK/app.log")"
note "standard error has the launch line"

wait_for 10 test -s "$(settings_file)" || fail "config.json did not appear"
python3 - "$(settings_file)" <<'PY' || fail "config.json holds $(cat "$(settings_file)")"
import json, sys
settings = json.load(open(sys.argv[1]))
assert settings == {"selectedViewID": "crypto_bubbles", "firstLaunchDone": True}, settings
PY
note "config.json records the first launch and the default view"

entry="$HOME/.config/autostart/$TAVELO_PROGRAM_NAME.desktop"
[[ -f "$entry" ]] || fail "no autostart entry after the first launch"
grep -qx "Exec=\"$(readlink -f "$APP")\"" "$entry" || fail "autostart entry does not run the launcher: $(cat "$entry")"
note "the autostart entry runs $(readlink -f "$APP")"

wait_for 10 wallpaper_window || fail "no desktop-type window"
window=$(wallpaper_window) || fail "the desktop-type window went away right after it appeared"
props=$(xprop -id "$window") || fail "the wallpaper window $window cannot be read"
grep -q "_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_DESKTOP" <<<"$props" || fail "not a desktop window"
grep -q "_NET_WM_DESKTOP(CARDINAL) = 4294967295" <<<"$props" || fail "not on all workspaces: $props"
# Openbox would frame a managed desktop window (and the frame would take the clicks):
# the wallpaper is no client of it, so no taskbar or pager lists it, and it lies at
# the very bottom of the stack.
! xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$window")" || fail "openbox manages the wallpaper"
bottom=$(xwininfo -root -children | grep -oE '^ +0x[0-9a-f]+' | tail -1 | tr -d ' ') || fail "the root window lists no children"
((bottom == window)) || fail "the wallpaper is not at the bottom of the stack (the bottom is $bottom)"
geometry=$(xwininfo -id "$window") || fail "the wallpaper window $window cannot be read"
grep -q "Width: 1920" <<<"$geometry" && grep -q "Height: 1080" <<<"$geometry" || fail "does not cover the screen: $geometry"
note "xprop: desktop type, all workspaces, unmanaged, at the bottom of the stack, 1920x1080"

wait_for 20 screen_shows_content || fail "the page never drew on the desktop"
import -window root "$WORK/desktop.png"
cp "$WORK/desktop.png" "$BUILD_DIR/wallpaper-on-desktop.png"
note "the page is drawn (screenshot: $BUILD_DIR/wallpaper-on-desktop.png)"

"$APP" 2>"$WORK/second.log" &
second=$!
wait_for 15 bash -c "! kill -0 $second" || fail "the second instance kept running"
wait "$second" || fail "the second instance failed"
grep -q "already running" "$WORK/second.log" || fail "the second instance said nothing: $(cat "$WORK/second.log")"
count=0
for id in $(xdotool search --name "^$TAVELO_PRODUCT_NAME\$" 2>/dev/null); do
  if xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DESKTOP; then
    count=$((count + 1))
  fi
done
[[ "$count" == 1 ]] || fail "$count wallpaper windows after a second launch"
note "a second launch leaves one wallpaper"

kill -TERM "$app"
wait_for 10 bash -c "! kill -0 $app" || fail "SIGTERM did not end the application"
wait "$app" && status=0 || status=$?
[[ $status -eq 0 ]] || fail "exit status $status after SIGTERM"
note "SIGTERM ends it with status 0"

cp "$(settings_file)" "$WORK/config.before"
"$APP" 2>"$WORK/third.log" &
third=$!
track $third
wait_for 20 log_has_line_ending "$WORK/third.log" "App did finish launching" || fail "no relaunch"
rm "$entry"
# Start-up is over once the page is drawn.
wait_for 30 screen_shows_content || fail "the relaunched wallpaper drew nothing"
[[ ! -f "$entry" ]] || fail "a later launch registered the login item again"
cmp -s "$WORK/config.before" "$(settings_file)" || fail "a later launch rewrote config.json"
note "a later launch neither registers the login item nor rewrites the settings"
echo "PASS"
