#!/usr/bin/env bash
# awesome manages a desktop-type window like any other: a frame, placed under its bar.
# The wallpaper sees that and becomes an unmanaged window at the bottom, with one line
# in the log: at 0,0 over the whole screen, in no frame, below windows, docks and the
# bar, on every tag, and a right click on it opens awesome's main menu.
source "$(dirname "$0")/wm_lib.sh"
# Its tray embeds the tray icon the XEmbed way.
ACCEPTED_CRITICAL=$XEMBED_TRAY_CRITICAL
needs_program awesome

start_display
start_site
use_temporary_home
start_named_window_manager awesome
check_desktop_layer awesome
expect_alone_below_bars awesome "awesome's bar"
note "awesome: the wallpaper covers the screen from 0,0, in no frame, below awesome's bar"

# awesome opens its menu one pixel right of and below the pointer, past its border.
! menu_window_at 1402 802 || fail "a window already covers 1402,802"
xdotool mousemove 1400 800 click 3
wait_for 5 menu_window_at 1402 802 || fail "a right click on the desktop did not open awesome's main menu"
screen_shot desktop-under-awesome-main-menu
note "awesome: a right click on the wallpaper opens the main menu (screenshot desktop-under-awesome-main-menu.png)"
echo "PASS"
