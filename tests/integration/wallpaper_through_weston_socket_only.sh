#!/usr/bin/env bash
# Started outside weston with only WAYLAND_DISPLAY set, the application finds the
# X display of weston's XWayland itself and puts its desktop window there.
source "$(dirname "$0")/lib.sh"

command -v weston >/dev/null && command -v Xwayland >/dev/null || { echo "SKIP: weston or Xwayland missing"; exit 77; }
use_unprivileged_account "${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-weston-test"
# Headless weston has no input devices, hence no seat, and GTK's start-up on its Wayland
# display (before the restart through XWayland) asks that missing seat for a keyboard.
# A desktop always has a seat.
ACCEPTED_CRITICAL="gdk_seat_get_keyboard: assertion 'GDK_IS_SEAT \(seat\)' failed"

as_account weston --backend=headless-backend.so --xwayland --width=1280 --height=720 \
  --socket=wayland-tavelo >"$WORK/weston.log" 2>&1 &
track $!
wait_for 15 grep -q "xserver listening on display" "$WORK/weston.log" || fail "weston did not start: $(tail -5 "$WORK/weston.log")"
xdisplay=$(grep -oE 'listening on display :[0-9]+' "$WORK/weston.log" | grep -oE ':[0-9]+')

as_account WAYLAND_DISPLAY=wayland-tavelo "$APP" >"$WORK/app.log" 2>&1 &
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
wait_for 20 desktop_window_on_xwayland || fail "no desktop window on weston's XWayland $xdisplay"
note "only WAYLAND_DISPLAY set: the wallpaper found weston's XWayland ($xdisplay) and is a desktop window there"

# Without XWayland there is no way onto that desktop: say so, and fail.
as_account weston --backend=headless-backend.so --width=1280 --height=720 \
  --socket=wayland-tavelo-plain >"$WORK/weston-plain.log" 2>&1 &
track $!
wait_for 15 test -S "$runtime/wayland-tavelo-plain" || fail "weston without XWayland did not start: $(tail -5 "$WORK/weston-plain.log")"
as_account WAYLAND_DISPLAY=wayland-tavelo-plain timeout 20 "$APP" >"$WORK/plain.log" 2>&1 && status=0 || status=$?
[[ $status -eq 1 ]] || fail "exit status $status without XWayland: $(cat "$WORK/plain.log")"
grep -q "offers no background layer and no XWayland display" "$WORK/plain.log" || fail "unclear message: $(cat "$WORK/plain.log")"
! grep -q "set DISPLAY or WAYLAND_DISPLAY" "$WORK/plain.log" || fail "blames a missing WAYLAND_DISPLAY: $(cat "$WORK/plain.log")"
note "weston without XWayland: the application says there is no way onto that desktop and exits with status 1"
echo "PASS"
