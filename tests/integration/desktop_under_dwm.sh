#!/usr/bin/env bash
# dwm floats a window of fixed size above every tiled window and moves it below its
# bar. The wallpaper sees that and becomes an unmanaged window at the bottom, with one
# line in the log: at 0,0 over the whole screen, below tiled windows and the bar, on
# every tag. dwm has no root menu: the pointer over the desktop reaches the root
# window, where dwm takes its clicks.
source "$(dirname "$0")/wm_lib.sh"
needs_program dwm

start_display
start_site
use_temporary_home
start_named_window_manager dwm
# dwm answers no workspace requests: its users change tags with Alt and a number.
switch_workspace() { xdotool key "alt+$(($1 + 1))"; }
check_desktop_layer dwm
expect_alone_below_bars dwm "dwm's bar"
note "dwm: the wallpaper covers the screen from 0,0 below the tiled windows and the bar"

switch_workspace 4
expect_pointer_reaches_root "900 600" "10 1000" "1900 900"
note "dwm: on an empty tag the pointer is over the root window, not the wallpaper"
echo "PASS"
