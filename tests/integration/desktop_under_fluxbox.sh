#!/usr/bin/env bash
# fluxbox frames a desktop window and the frame takes the clicks, so the wallpaper
# is an unmanaged window at the bottom there: below windows, docks and fluxbox's
# own toolbar, on every workspace, and a right click on it opens the root menu.
source "$(dirname "$0")/wm_lib.sh"
# Its tray embeds the tray icon the XEmbed way.
ACCEPTED_CRITICAL=$XEMBED_TRAY_CRITICAL
needs_program fluxbox

start_display
start_site
use_temporary_home
start_named_window_manager fluxbox
check_desktop_layer fluxbox

for toolbar in $(xdotool search --class fluxbox 2>/dev/null); do
  viewable "$toolbar" && expect_below "$wallpaper" "$toolbar" "fluxbox's toolbar"
done
right_click_opens_menu 1400 800 "fluxbox's root menu"
screen_shot desktop-under-fluxbox-root-menu
note "fluxbox: a right click on the wallpaper opens the root menu (screenshot desktop-under-fluxbox-root-menu.png)"
echo "PASS"
