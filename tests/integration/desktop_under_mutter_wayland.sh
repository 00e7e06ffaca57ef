#!/usr/bin/env bash
# GNOME's compositor on Wayland (headless mutter) has no layer-shell: the application
# restarts itself through mutter's XWayland, where it is a desktop window mutter
# keeps below an ordinary window, covering the monitor. Run as a GNOME session runs
# its programs: WAYLAND_DISPLAY, DISPLAY and XAUTHORITY set.
source "$(dirname "$0")/wm_lib.sh"
needs_program mutter Xwayland dbus-run-session
use_unprivileged_account "${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-mutter-test"

as_account dbus-run-session -- mutter --headless --wayland --virtual-monitor 1280x720 \
  --wayland-display=wayland-tavelo >"$WORK/mutter.log" 2>&1 &
track $!
wait_for 20 pgrep -u "$account" -x Xwayland || fail "mutter started no XWayland: $(tail -5 "$WORK/mutter.log")"
use_account_xwayland 20

x WAYLAND_DISPLAY=wayland-tavelo "$APP" >"$WORK/app.log" 2>&1 &
track $!
wait_for 30 log_has_line_ending "$WORK/app.log" "App did finish launching" || fail "no launch: $(tail -5 "$WORK/app.log")"
! grep -q "❌" "$WORK/app.log" || fail "a failure line: $(grep "❌" "$WORK/app.log")"

wait_for 20 desktop_window_on_xwayland "$xdisplay" "$xauthority" || fail "no desktop window on XWayland"
wallpaper=$(desktop_window_on_xwayland "$xdisplay" "$xauthority")
geometry=$(x xwininfo -id "$wallpaper")
grep -q "Width: 1280" <<<"$geometry" && grep -q "Height: 720" <<<"$geometry" || fail "does not cover the monitor: $geometry"
note "mutter on Wayland: the wallpaper is a desktop window on XWayland covering the 1280x720 monitor"

account_client_window other normal 0xff0000 400 300 100 100
other=$client_id
stacked_below() {
  local order
  order=$(x xprop -root _NET_CLIENT_LIST_STACKING | grep -oE '0x[0-9a-f]+' | tr '\n' ' ')
  [[ "$order" =~ $(printf '0x%x' "$wallpaper")\ .*$other ]]
}
wait_for 10 stacked_below || fail "mutter does not keep the wallpaper below an ordinary window: $(x xprop -root _NET_CLIENT_LIST_STACKING)"
x xprop -id "$wallpaper" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR || fail "the wallpaper is in the taskbar"
note "mutter keeps the wallpaper below an ordinary window, out of the taskbar"
echo "PASS"
