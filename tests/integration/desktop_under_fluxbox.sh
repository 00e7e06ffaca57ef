#!/usr/bin/env bash
# fluxbox honours the desktop window type: the wallpaper stays below windows, docks
# and fluxbox's own toolbar, on every workspace, and a right click on it opens
# fluxbox's root menu.
source "$(dirname "$0")/wm_lib.sh"
needs_program fluxbox

start_display
start_site
use_temporary_home
start_named_window_manager fluxbox
check_desktop_layer fluxbox

for toolbar in $(xdotool search --class fluxbox 2>/dev/null); do
  viewable "$toolbar" && expect_below "$wallpaper" "$toolbar" "fluxbox's toolbar"
done
xdotool mousemove 900 500 click 3
wait_for 5 window_opened_at 900 500 || fail "a right click on the desktop did not open fluxbox's root menu"
screen_shot desktop-under-fluxbox-root-menu
note "fluxbox: a right click on the wallpaper opens the root menu (screenshot desktop-under-fluxbox-root-menu.png)"
echo "PASS"
