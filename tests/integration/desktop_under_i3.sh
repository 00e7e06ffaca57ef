#!/usr/bin/env bash
# i3 floats a desktop-type window above every tiled window and the bar, so there the
# wallpaper is an unmanaged window that keeps itself at the bottom. Tiled windows,
# the bar and docks lie above it, it is on every workspace, and it never takes the
# pointer.
source "$(dirname "$0")/wm_lib.sh"
# Its tray embeds the tray icon the XEmbed way.
ACCEPTED_CRITICAL=$XEMBED_TRAY_CRITICAL
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

# i3 takes the clicks on its empty workspaces itself (no client can listen on the
# root window there), so ask the X server which window is under the pointer: the
# wallpaper's empty input shape leaves the root window there.
i3-msg -q workspace 5
on_workspace_5() { i3-msg -t get_workspaces | grep -q '"num":5,[^}]*"focused":true'; }
wait_for 10 on_workspace_5 || fail "i3 did not switch to workspace 5"
expect_pointer_reaches_root "900 600" "10 1000" "1900 900"
note "i3: on an empty workspace the pointer is over the root window, not the wallpaper"
echo "PASS"
