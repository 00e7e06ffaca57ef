#!/usr/bin/env bash
# caja's desktop (the MATE icon layer) paints an opaque desktop with the icons, also
# with MATE's "draw-background" turned off: the wallpaper stays beneath it in either
# start order, so no hidden icon can be clicked, and says once why it is hidden.
# caja runs on a session bus of the test's own, which ends with the test.
source "$(dirname "$0")/wm_lib.sh"
needs_program marco caja dbus-launch

start_display
start_site
use_temporary_home
mkdir -p "$HOME/Desktop"
echo "a note" >"$HOME/Desktop/notes.txt"
eval "$(dbus-launch --sh-syntax)"
track "$DBUS_SESSION_BUS_PID"
# caja under MATE's own manager, as a MATE session runs it.
start_named_window_manager marco
# MATE's switch for painting no background changes nothing about that.
gsettings set org.mate.background draw-background false
check_icon_layer caja caja -n --force-desktop
layer=$(settled 5 icon_layer_window caja) || fail "caja's desktop went away"
xwininfo -id "$layer" | grep -q "Depth: 24" || fail "caja's desktop is see-through here: update this test and the README"
echo "PASS"
