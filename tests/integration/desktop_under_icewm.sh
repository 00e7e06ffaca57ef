#!/usr/bin/env bash
# icewm puts a desktop-type window in a frame, and the frame takes every click meant
# for the desktop. The wallpaper, already running when icewm starts, sees that and
# becomes an unmanaged window at the bottom, with one line in the log: out of any
# frame, over the whole screen, below windows, docks and icewm's taskbar, on every
# workspace, and a right click on it opens icewm's root menu.
source "$(dirname "$0")/wm_lib.sh"
# Its tray embeds the tray icon the XEmbed way.
ACCEPTED_CRITICAL=$XEMBED_TRAY_CRITICAL
needs_program icewm

start_display
start_site
use_temporary_home
start_wallpaper
start_named_window_manager icewm
wait_for 10 grep -q "mishandles the wallpaper's desktop window (put it in a frame)" "$WORK/app.log" ||
  fail "the wallpaper did not see icewm's frame: $(cat "$WORK/app.log")"
[[ $(grep -c "mishandles the wallpaper's desktop window" "$WORK/app.log") -eq 1 ]] || fail "more than one line about it"
wait_for 10 viewable "$wallpaper" || fail "the wallpaper did not show again"
wait_for 5 expect_own_toplevel "$wallpaper"
note "icewm started after the wallpaper framed it; the wallpaper left the frame and said so once"

check_running_desktop_layer icewm
expect_own_toplevel "$wallpaper"
expect_covers_screen "$wallpaper"
for taskbar in $(xdotool search --class icewm 2>/dev/null); do
  viewable "$taskbar" && expect_below "$wallpaper" "$taskbar" "icewm's taskbar"
done
note "icewm: the wallpaper lies below icewm's taskbar, in no frame"

right_click_opens_menu 1400 800 "icewm's root menu"
screen_shot desktop-under-icewm-root-menu
note "icewm: a right click on the wallpaper opens the root menu (screenshot desktop-under-icewm-root-menu.png)"
echo "PASS"
