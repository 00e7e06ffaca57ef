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
note "xfwm4: the wallpaper is no client of the manager and has no frame"
echo "PASS"
