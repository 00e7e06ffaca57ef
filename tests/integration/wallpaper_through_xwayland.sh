#!/usr/bin/env bash
# A Wayland compositor without layer-shell (headless weston) has no background layer:
# the application restarts itself through XWayland and puts a desktop-type window
# covering the output there. Compositor and application run as an unprivileged account.
source "$(dirname "$0")/lib.sh"

command -v weston >/dev/null && command -v Xwayland >/dev/null || { echo "weston or Xwayland missing"; exit 77; }
use_unprivileged_account "${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-wayland-test"
# Headless weston has no input devices, hence no seat, and GTK's start-up on its Wayland
# display (before the restart through XWayland) asks that missing seat for a keyboard.
# A desktop always has a seat.
ACCEPTED_CRITICAL="gdk_seat_get_keyboard: assertion 'GDK_IS_SEAT \(seat\)' failed"

as_account weston --backend=headless-backend.so --xwayland --width=1280 --height=720 \
  --socket=wayland-tavelo >"$WORK/weston.log" 2>&1 &
track $!
wait_for 15 grep -q "xserver listening on display" "$WORK/weston.log" || fail "weston did not start: $(tail -5 "$WORK/weston.log")"
xdisplay=$(grep -oE 'listening on display :[0-9]+' "$WORK/weston.log" | grep -oE ':[0-9]+')

as_account WAYLAND_DISPLAY=wayland-tavelo DISPLAY="$xdisplay" "$APP" >"$WORK/app.log" 2>&1 &
track $!
wait_for 20 log_has_line_ending "$WORK/app.log" "App did finish launching" || fail "no launch: $(tail -5 "$WORK/app.log")"
! grep -q "❌" "$WORK/app.log" || fail "a failure line: $(grep "❌" "$WORK/app.log")"

desktop_window_on_xwayland() {
  local id
  for id in $(as_account DISPLAY="$xdisplay" xdotool search --name '^Tavelo Live Wallpaper$' 2>/dev/null); do
    if as_account DISPLAY="$xdisplay" xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DESKTOP &&
      as_account DISPLAY="$xdisplay" xwininfo -id "$id" | grep -q "Map State: IsViewable"; then
      echo "$id"
      return 0
    fi
  done
  return 1
}
wait_for 20 desktop_window_on_xwayland || fail "no desktop window on XWayland"
window=$(desktop_window_on_xwayland)
geometry=$(as_account DISPLAY="$xdisplay" xwininfo -id "$window")
grep -q "Width: 1280" <<<"$geometry" && grep -q "Height: 720" <<<"$geometry" || fail "does not cover the output: $geometry"
note "no layer-shell: the wallpaper is a mapped desktop-type window on XWayland covering the 1280x720 output"
echo "PASS"
