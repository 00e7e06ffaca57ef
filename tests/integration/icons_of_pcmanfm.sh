#!/usr/bin/env bash
# pcmanfm --desktop under openbox (the LXDE pair) paints an opaque desktop with the
# icons: the wallpaper stays beneath it in either start order, so no hidden icon
# can be clicked.
source "$(dirname "$0")/wm_lib.sh"
needs_program openbox pcmanfm

start_display
start_site
use_temporary_home
mkdir -p "$HOME/Desktop" "$HOME/.config/pcmanfm/default"
echo "a note" >"$HOME/Desktop/notes.txt"
start_named_window_manager openbox
check_icon_layer pcmanfm pcmanfm --desktop
echo "PASS"
