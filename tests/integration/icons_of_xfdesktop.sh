#!/usr/bin/env bash
# xfdesktop under xfwm4 (the Xfce pair) paints an opaque desktop with the icons: the
# wallpaper stays beneath it in either start order, so no hidden icon can be clicked.
# A session bus of its own: xfdesktop (and xfconf) are one per bus, and other tests
# run theirs beside this one.
[[ -n "${TAVELO_OWN_BUS:-}" ]] || TAVELO_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
source "$(dirname "$0")/wm_lib.sh"
needs_program xfwm4 xfdesktop

start_display
start_site
use_temporary_home
mkdir -p "$HOME/Desktop"
echo "a note" >"$HOME/Desktop/notes.txt"
start_named_window_manager xfwm4
check_icon_layer xfdesktop xfdesktop --disable-wm-check
echo "PASS"
