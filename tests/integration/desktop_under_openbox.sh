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

right_click_opens_menu 1400 800 "openbox's root menu"
screen_shot desktop-under-openbox-root-menu
note "openbox: a right click on the wallpaper opens the root menu (screenshot desktop-under-openbox-root-menu.png)"
echo "PASS"
