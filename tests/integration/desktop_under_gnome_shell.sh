#!/usr/bin/env bash
# GNOME on X11: GNOME Shell as the window and compositing manager, with its desktop
# icons (the Desktop Icons NG extension, a see-through desktop window of its own).
# The wallpaper is a desktop window the shell keeps below windows and docks, on every
# workspace, and beneath the icons' window: the icons show over the live view and a
# right click on the desktop opens the icons' menu.
source "$(dirname "$0")/wm_lib.sh"
needs_program gnome-shell gsettings dbus-launch dbus-daemon
extension=ding@rastersoft.com
[[ -d "/usr/share/gnome-shell/extensions/$extension" ]] || { echo "SKIP: the desktop icons extension is not installed"; exit 77; }

start_display
start_site
use_temporary_home
mkdir -p "$HOME/Desktop"
echo "a note" >"$HOME/Desktop/notes.txt"

# The shell asks the system bus for logind, accounts and the rest; a bus of the
# test's own with none of them on it stands in (the shell carries on without them).
dbus-daemon --session --nofork --print-address=3 3>"$WORK/system-bus" >/dev/null 2>&1 &
track $!
wait_for 10 test -s "$WORK/system-bus" || fail "no bus for the shell's system services"
eval "$(dbus-launch --sh-syntax)"
track "$DBUS_SESSION_BUS_PID"
gsettings set org.gnome.shell disable-user-extensions false
gsettings set org.gnome.shell enabled-extensions "['$extension']"
gsettings set org.gnome.shell welcome-dialog-last-shown-version "'999'"
# As a GNOME session sets it (the icons' menu reads it).
export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=x11
DBUS_SYSTEM_BUS_ADDRESS=$(head -1 "$WORK/system-bus") gnome-shell --x11 --replace --sm-disable >"$WORK/shell.log" 2>&1 &
track $!
shell_named() {
  local check
  check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -oE '0x[0-9a-f]+') &&
    xprop -id "$check" _NET_WM_NAME | grep -q '"GNOME Shell"'
}
wait_for 60 shell_named || fail "GNOME Shell did not start: $(grep -v dbus-daemon "$WORK/shell.log" | tail -5)"

# The shell opens its overview once it has started: leave it, as a user does.
overview_active() {
  gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
    --method org.freedesktop.DBus.Properties.Get org.gnome.Shell OverviewActive 2>/dev/null | grep -q true
}
overview_left() { ! overview_active || { xdotool key Escape; false; }; }
wait_for 30 stable_icon_layer gjs || fail "the desktop icons drew no desktop: $(grep DING "$WORK/shell.log" | tail -5)"
wait_for 30 overview_left || fail "the overview stays open"
layer=$(settled 5 icon_layer_window gjs) || fail "the icons' desktop went away"
xwininfo -id "$layer" | grep -q "Depth: 32" || fail "the icons' desktop is not see-through here"
settled_screen_shot desktop-under-gnome-shell-icons-alone
# The icons and their captions: the bright pixels of the desktop without the wallpaper.
convert "$WORK/desktop-under-gnome-shell-icons-alone.png" -crop 300x500+0+40 -colorspace gray -threshold 70% "$WORK/icon-mask.png"
icon_share=$(convert "$WORK/icon-mask.png" -format '%[fx:mean]' info:)
awk -v s="$icon_share" 'BEGIN { exit !(s > 0.002) }' || fail "the desktop shows no icon (bright share $icon_share)"
note "GNOME Shell: the desktop icons show on their see-through desktop window"

start_wallpaper
! grep -q "becomes" "$WORK/app.log" || fail "the wallpaper changed its style under one manager: $(cat "$WORK/app.log")"
xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$wallpaper")" || fail "GNOME Shell does not manage the wallpaper"
expect_below "$wallpaper" "$layer" "the icons' desktop"
settled_screen_shot desktop-under-gnome-shell-with-wallpaper
convert "$WORK/desktop-under-gnome-shell-with-wallpaper.png" -crop 1620x1000+300+80 "$WORK/beside-icons.png"
picture_shows_content "$WORK/beside-icons.png" || fail "the live view does not show through the icons' desktop"
# Where the icons were bright on their own they are still bright: they lie on top.
kept=$(convert "$WORK/desktop-under-gnome-shell-with-wallpaper.png" -crop 300x500+0+40 -colorspace gray -threshold 60% \
  "$WORK/icon-mask.png" -compose multiply -composite -format '%[fx:mean]' info:)
awk -v k="$kept" -v s="$icon_share" 'BEGIN { exit !(k > 0.9 * s) }' ||
  fail "the icons do not show over the live view (bright share $kept of $icon_share)"
! grep -q "paint an opaque desktop" "$WORK/app.log" || fail "a see-through icon layer was called opaque"
note "GNOME Shell: the icons show over the live view (screenshot desktop-under-gnome-shell-with-wallpaper.png)"

right_click_opens_menu 900 500 "the desktop icons' menu"
screen_shot desktop-under-gnome-shell-icons-menu
xdotool key Escape
note "GNOME Shell: a right click on the desktop opens the desktop icons' menu"

check_running_desktop_layer gnome-shell
layer=$(settled 5 icon_layer_window gjs) || fail "the icons' desktop went away"
expect_below "$wallpaper" "$layer" "the icons' desktop, after the workspace switches"
echo "PASS"
