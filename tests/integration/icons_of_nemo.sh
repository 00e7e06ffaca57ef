#!/usr/bin/env bash
# nemo-desktop (the Cinnamon icon layer) draws its icons on a see-through window.
# Under a compositing manager (xfwm4) the wallpaper lies beneath it and the icons
# show over the live view; a right click on the desktop opens nemo's menu. nemo
# refuses to run as root, so it runs as an unprivileged account.
source "$(dirname "$0")/wm_lib.sh"
needs_program xfwm4 nemo-desktop
use_unprivileged_account "${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-nemo-test"

start_display
start_site
use_temporary_home
mkdir -p "$home/Desktop"
echo "a note" >"$home/Desktop/notes.txt"
chown -R "$account" "$home"
start_named_window_manager xfwm4

as_account DISPLAY="$DISPLAY" dbus-run-session -- nemo-desktop >"$WORK/nemo.log" 2>&1 &
track $!
wait_for 30 stable_icon_layer nemo-desktop || fail "nemo drew no lasting desktop: $(tail -5 "$WORK/nemo.log")"
layer=$(settled 5 icon_layer_window nemo-desktop) || fail "nemo's desktop went away"
xwininfo -id "$layer" | grep -q "Depth: 32" || fail "nemo's desktop is not see-through here"
settled_screen_shot icons-of-nemo-alone
# The icon and its caption: the bright pixels of nemo's desktop on its own.
convert "$WORK/icons-of-nemo-alone.png" -colorspace gray -threshold 70% "$WORK/icon-mask.png"
icon_share=$(convert "$WORK/icon-mask.png" -format '%[fx:mean]' info:)
awk -v s="$icon_share" 'BEGIN { exit !(s > 0.0005) }' || fail "nemo shows no icon (bright share $icon_share)"

start_wallpaper
expect_below "$wallpaper" "$layer" "nemo's desktop"
settled_screen_shot icons-of-nemo-with-wallpaper
picture_shows_content "$WORK/icons-of-nemo-with-wallpaper.png" || fail "the live view does not show through nemo's desktop"
# Where the icon was bright on its own it is still bright: the icons lie on top.
kept=$(convert "$WORK/icons-of-nemo-with-wallpaper.png" -colorspace gray -threshold 60% "$WORK/icon-mask.png" \
  -compose multiply -composite -format '%[fx:mean]' info:)
awk -v k="$kept" -v s="$icon_share" 'BEGIN { exit !(k > 0.9 * s) }' ||
  fail "the icons do not show over the live view (bright share $kept of $icon_share)"
! grep -q "paint an opaque desktop" "$WORK/app.log" || fail "a see-through icon layer was called opaque"
note "nemo: the icons show over the live view (screenshot icons-of-nemo-with-wallpaper.png)"

right_click_opens_menu 900 500 "nemo's menu"
note "nemo: a right click on the desktop opens nemo's menu"
echo "PASS"
