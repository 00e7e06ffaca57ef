#!/usr/bin/env bash
# xfwm4 keeps a desktop window below, but never restacks it beneath an icon layer
# mapped before it, so the wallpaper is an unmanaged window at the bottom there:
# below windows and docks, on every workspace, out of the taskbar, never focused.
source "$(dirname "$0")/wm_lib.sh"
needs_program xfwm4

start_display
start_site
use_temporary_home
start_named_window_manager xfwm4
check_desktop_layer xfwm4
! xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$wallpaper")" || fail "xfwm4 manages the wallpaper"
[[ "$(toplevel_of "$wallpaper")" == "$(printf '0x%x' "$wallpaper")" ]] || fail "xfwm4 put the wallpaper in a frame"
# xfwm4 draws a full-screen unmanaged window past its compositor (over everything)
# unless the window asks to stay composited.
xprop -id "$wallpaper" _NET_WM_BYPASS_COMPOSITOR | grep -q "= 2$" || fail "the wallpaper does not ask to stay composited"
note "xfwm4: the wallpaper is no client of the manager, has no frame and stays composited"
echo "PASS"
