#!/usr/bin/env bash
# GNOME on Wayland (GNOME Shell headless, with a virtual monitor) with its desktop
# icons (the Desktop Icons NG extension, a Wayland window of its own the shell keeps
# at the bottom). The shell has no layer-shell: the application restarts itself
# through the shell's XWayland as a desktop window. It covers the monitor, lies
# beneath the icons (they show over the live view) and below a normal window, is in
# no taskbar and on every workspace. The shell refuses to run as root: everything
# runs as an unprivileged account.
source "$(dirname "$0")/wm_lib.sh"
needs_program gnome-shell Xwayland dbus-run-session dbus-daemon gsettings convert
extension=ding@rastersoft.com
[[ -d "/usr/share/gnome-shell/extensions/$extension" ]] || { echo "SKIP: the desktop icons extension is not installed"; exit 77; }
/usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null || { echo "SKIP: python3-gi is not installed"; exit 77; }
use_unprivileged_account "${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-gnome-test"

mkdir -p "$home/Desktop" "$(dirname "$(settings_file "$home")")"
echo "a note" >"$home/Desktop/notes.txt"
# A later launch: no first-launch prompt in front of what is checked.
echo '{"selectedViewID": "crypto_bubbles", "firstLaunchDone": true}' >"$(settings_file "$home")"
chown -R "$account" "$home"
cp "$(dirname "$0")/helpers/gnome_shell_screenshot.py" "$WORK/stage/bin/"
# The session: the extension switched on, the variables a GNOME session sets, and a
# bus of its own standing in for the system bus (the shell asks it for logind,
# accounts and the rest, and carries on without them).
cat >"$WORK/stage/bin/gnome-session.sh" <<SESSION
echo "\$DBUS_SESSION_BUS_ADDRESS" >"\$XDG_RUNTIME_DIR/bus-address"
gsettings set org.gnome.shell disable-user-extensions false
gsettings set org.gnome.shell enabled-extensions "['$extension']"
gsettings set org.gnome.shell welcome-dialog-last-shown-version "'999'"
export DBUS_SYSTEM_BUS_ADDRESS=\$(dbus-daemon --session --fork --print-address)
export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland
exec gnome-shell --headless --wayland --virtual-monitor 1920x1080 --wayland-display=wayland-tavelo
SESSION
chmod -R a+rX "$WORK/stage"

as_account dbus-run-session -- sh "$WORK/stage/bin/gnome-session.sh" >"$WORK/shell.log" 2>&1 &
track $!
wait_for 60 pgrep -u "$account" -x Xwayland || fail "the shell started no XWayland: $(grep -v dbus-daemon "$WORK/shell.log" | tail -5)"
wait_for 10 test -s "$runtime/bus-address" || fail "the session bus did not start"
bus=$(cat "$runtime/bus-address")
use_account_xwayland 30
shot() {  # shot NAME: the screen now, in $WORK/NAME.png and beside the build
  rm -f "$runtime/shot.png"
  as_account DBUS_SESSION_BUS_ADDRESS="$bus" /usr/bin/python3 "$WORK/stage/bin/gnome_shell_screenshot.py" \
    "$runtime/shot.png" 2>"$WORK/shot.err" || return 1
  cp "$runtime/shot.png" "$WORK/$1.png" && cp "$WORK/$1.png" "$BUILD_DIR/$1.png"
}
# The icons and their captions: the bright pixels at the left edge of the screen.
icons_share() {
  convert "$WORK/$1.png" -crop 300x500+0+40 -colorspace gray -threshold "$2" "$WORK/icon-mask-$1.png"
  convert "$WORK/icon-mask-$1.png" -format '%[fx:mean]' info:
}
icons_shown() { shot gnome-shell-wayland-icons-alone && at_least "$(icons_share gnome-shell-wayland-icons-alone 70%)" 0.002; }
wait_for 60 icons_shown || fail "the desktop icons never showed: $(cat "$WORK/shot.err"; grep DING "$WORK/shell.log" | tail -3)"
settled_screen_shot gnome-shell-wayland-icons-alone shot
icon_share=$(icons_share gnome-shell-wayland-icons-alone 70%)
note "GNOME Shell on Wayland: the desktop icons show"

x WAYLAND_DISPLAY=wayland-tavelo XDG_CURRENT_DESKTOP=GNOME "$APP" >"$WORK/app.log" 2>&1 &
track $!
wait_for 30 log_has_line_ending "$WORK/app.log" "App did finish launching" || fail "no launch: $(tail -5 "$WORK/app.log")"
! grep -q "❌" "$WORK/app.log" || fail "a failure line: $(grep "❌" "$WORK/app.log")"
wallpaper=$(settled 30 desktop_window_on_xwayland "$xdisplay" "$xauthority") || fail "no desktop window on XWayland"
geometry=$(x xwininfo -id "$wallpaper")
grep -q "Width: 1920" <<<"$geometry" && grep -q "Height: 1080" <<<"$geometry" || fail "does not cover the monitor: $geometry"
x xprop -id "$wallpaper" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR || fail "the wallpaper is in the taskbar"
note "GNOME Shell on Wayland: the wallpaper is a desktop window on XWayland over the whole monitor, in no taskbar"

live_view_shows() {
  shot gnome-shell-wayland-with-wallpaper &&
    convert "$WORK/gnome-shell-wayland-with-wallpaper.png" -crop 1620x1000+300+80 "$WORK/beside-icons.png" &&
    picture_shows_content "$WORK/beside-icons.png"
}
wait_for 60 live_view_shows || fail "the live view does not show (see gnome-shell-wayland-with-wallpaper.png)"
settled_screen_shot gnome-shell-wayland-with-wallpaper shot
# Where the icons were bright on their own they are still bright: they lie on top.
kept=$(convert "$WORK/gnome-shell-wayland-with-wallpaper.png" -crop 300x500+0+40 -colorspace gray -threshold 60% \
  "$WORK/icon-mask-gnome-shell-wayland-icons-alone.png" -compose multiply -composite -format '%[fx:mean]' info:)
at_least "$kept" "$(awk -v s="$icon_share" 'BEGIN { print 0.9 * s }')" ||
  fail "the icons do not show over the live view (bright share $kept of $icon_share)"
note "GNOME Shell on Wayland: the icons show over the live view (screenshot gnome-shell-wayland-with-wallpaper.png)"

account_client_window normal normal 0xff0000 400 300 600 400
normal=$client_id
normal_shows_in() {
  local geometry x y
  geometry=$(x xwininfo -id "$normal")
  x=$(grep 'Absolute upper-left X' <<<"$geometry" | grep -oE -- '-?[0-9]+$')
  y=$(grep 'Absolute upper-left Y' <<<"$geometry" | grep -oE -- '-?[0-9]+$')
  [[ "$(pixel_at "$WORK/$1.png" $((x + 200)) $((y + 150)))" == "255 0 0" ]]
}
normal_on_top() { shot gnome-shell-wayland-window && normal_shows_in gnome-shell-wayland-window; }
wait_for 20 normal_on_top || fail "a normal window does not show over the wallpaper (see gnome-shell-wayland-window.png)"
note "GNOME Shell on Wayland: a normal window shows over the wallpaper"

# The next workspace, as a pager asks for it: the page and the icons, not the window.
tell_client_window normal "workspace 1"
second_workspace() {
  shot gnome-shell-wayland-workspace-2 && ! normal_shows_in gnome-shell-wayland-workspace-2 &&
    convert "$WORK/gnome-shell-wayland-workspace-2.png" -crop 1620x1000+300+80 "$WORK/beside-icons.png" &&
    picture_shows_content "$WORK/beside-icons.png"
}
wait_for 20 second_workspace || fail "the next workspace does not show the page (see gnome-shell-wayland-workspace-2.png)"
note "GNOME Shell on Wayland: the wallpaper shows on the next workspace too"
echo "PASS"
