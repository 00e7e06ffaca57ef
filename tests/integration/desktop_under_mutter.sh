#!/usr/bin/env bash
# GNOME's mutter as an X11 compositing manager honours the desktop window type (an
# unmanaged window would be composited above everything there).
source "$(dirname "$0")/wm_lib.sh"
needs_program mutter

start_display
start_site
use_temporary_home
start_named_window_manager mutter
check_desktop_layer mutter
xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$wallpaper")" || fail "mutter does not manage the wallpaper"
echo "PASS"
