#!/usr/bin/env bash
# KDE's KWin on X11 (a compositing manager) honours the desktop window type: the
# wallpaper is a managed desktop window, below windows and panels, on every
# workspace, never focused, in no taskbar, and clicks and scrolls over it reach the
# root window (Plasma's own desktop would sit there in a full session).
source "$(dirname "$0")/wm_lib.sh"
needs_program kwin_x11 dbus-run-session

start_display
start_site
use_temporary_home
start_named_window_manager kwin_x11
check_desktop_layer kwin_x11
xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$wallpaper")" || fail "KWin does not manage the wallpaper"
! grep -q "becomes" "$WORK/app.log" || fail "the wallpaper changed its style under a manager that did not change"

listen_on_root
xdotool mousemove 1500 800
wait_for 10 reaches_root 1 || fail "a click on the wallpaper did not reach the root window: $(cat "$WORK/root-events.log")"
wait_for 10 reaches_root 5 || fail "a scroll over the wallpaper did not reach the root window"
expect_not_focused "$wallpaper"
note "kwin_x11: a click and a scroll over the wallpaper reach the root window"
echo "PASS"
