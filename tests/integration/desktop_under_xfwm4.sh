#!/usr/bin/env bash
# xfwm4 honours the desktop window type: the wallpaper is a managed desktop window,
# kept below windows and docks, on every workspace, out of the taskbar.
source "$(dirname "$0")/wm_lib.sh"
needs_program xfwm4

start_display
start_site
use_temporary_home
start_named_window_manager xfwm4
check_desktop_layer xfwm4
props=$(xprop -id "$wallpaper")
grep -q "_NET_WM_WINDOW_TYPE_DESKTOP" <<<"$props" || fail "not a desktop window under xfwm4"
xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$wallpaper")" || fail "xfwm4 does not manage the wallpaper"
note "xfwm4: the wallpaper is a desktop window the manager keeps"
echo "PASS"
