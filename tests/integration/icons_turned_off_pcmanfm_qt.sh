#!/usr/bin/env bash
# pcmanfm-qt --desktop (LXQt's icon layer) paints an opaque desktop over the wallpaper:
# the application asks on screen whether to turn it off, does so with pcmanfm-qt's own
# switch when told, and brings it back from the tray menu.
if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then exec dbus-run-session -- bash "$0" "$@"; fi
source "$(dirname "$0")/wm_lib.sh"
source "$(dirname "$0")/tray_lib.sh"
needs_program openbox pcmanfm-qt
export GDK_BACKEND=x11 NO_AT_BRIDGE=1

start_display
start_site
use_temporary_home
mkdir -p "$HOME/Desktop"
echo "a note" >"$HOME/Desktop/notes.txt"
start_named_window_manager openbox
check_icon_desktop_turned_off pcmanfm-qt pcmanfm-qt pcmanfm-qt --desktop
echo "PASS"
