#!/usr/bin/env bash
# Openbox puts a desktop-type window in a frame that takes every click, so there the
# wallpaper is an unmanaged window that keeps itself at the bottom: below windows
# and docks, on every workspace, and a right click on it opens openbox's root menu.
source "$(dirname "$0")/wm_lib.sh"
needs_program openbox

start_display
start_site
use_temporary_home
start_named_window_manager openbox
check_desktop_layer openbox

xdotool mousemove 900 500 click 3
wait_for 5 window_opened_at 900 500 || fail "a right click on the desktop did not open openbox's root menu"
screen_shot desktop-under-openbox-root-menu
note "openbox: a right click on the wallpaper opens the root menu (screenshot desktop-under-openbox-root-menu.png)"
echo "PASS"
