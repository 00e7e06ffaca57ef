#!/usr/bin/env bash
# i3 floats a desktop-type window above every tiled window and the bar, so there the
# wallpaper is an unmanaged window that keeps itself at the bottom. Tiled windows,
# the bar and docks lie above it, it is on every workspace, and clicks on the bare
# desktop reach the root window.
source "$(dirname "$0")/wm_lib.sh"
needs_program i3 i3bar

start_display
start_site
use_temporary_home
start_named_window_manager i3
switch_workspace() { i3-msg -q workspace $(($1 + 1)); }
check_desktop_layer i3

wait_for 10 xdotool search --class i3bar || fail "i3bar did not start"
for bar in $(xdotool search --class i3bar); do
  viewable "$bar" && expect_below "$wallpaper" "$bar" "i3bar"
done
note "i3: the wallpaper lies below i3bar"

# An empty workspace shows only the desktop: a click there goes to the root window.
i3-msg -q workspace 5
sleep 0.5
xev -root -event button >"$WORK/root-events.log" 2>&1 &
track $!
sleep 0.5
xdotool mousemove 900 600 click 1
wait_for 5 grep -q ButtonPress "$WORK/root-events.log" || fail "a click on the desktop did not reach the root window: $(cat "$WORK/root-events.log")"
note "i3: a click on the wallpaper reaches the root window"
echo "PASS"
