#!/usr/bin/env bash
# xfdesktop (Xfce's icon layer) paints an opaque desktop over the wallpaper: the
# application asks on screen whether to turn it off, asks xfdesktop to quit when told,
# and starts it again, with the command line it had, from the tray menu.
if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then exec dbus-run-session -- bash "$0" "$@"; fi
source "$(dirname "$0")/wm_lib.sh"
source "$(dirname "$0")/tray_lib.sh"
needs_program xfwm4 xfdesktop
export GDK_BACKEND=x11 NO_AT_BRIDGE=1

start_display
start_site
use_temporary_home
mkdir -p "$HOME/Desktop"
echo "a note" >"$HOME/Desktop/notes.txt"
start_named_window_manager xfwm4
check_icon_desktop_turned_off xfdesktop xfdesktop xfdesktop --disable-wm-check
grep -q "Started xfdesktop's desktop again (xfdesktop --disable-wm-check)" "$WORK/app.log" ||
  fail "xfdesktop was not started as it had been: $(cat "$WORK/app.log")"
echo "PASS"
