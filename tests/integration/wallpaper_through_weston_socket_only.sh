#!/usr/bin/env bash
# Started outside weston with only WAYLAND_DISPLAY set, the application finds the
# X display of weston's XWayland itself and puts its desktop window there.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/weston_lib.sh"

command -v weston >/dev/null && command -v Xwayland >/dev/null || { echo "SKIP: weston or Xwayland missing"; exit 77; }
use_unprivileged_account "${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-weston-test"

start_weston wayland-tavelo xwayland

as_account WAYLAND_DISPLAY=wayland-tavelo "$APP" >"$WORK/app.log" 2>&1 &
track $!
wait_for 20 log_has_line_ending "$WORK/app.log" "App did finish launching" || fail "no launch: $(tail -5 "$WORK/app.log")"
! grep -q "❌" "$WORK/app.log" || fail "a failure line: $(grep "❌" "$WORK/app.log")"

wait_for 20 desktop_window_on_xwayland "$xdisplay" || fail "no desktop window on weston's XWayland $xdisplay"
note "only WAYLAND_DISPLAY set: the wallpaper found weston's XWayland ($xdisplay) and is a desktop window there"

# Without XWayland there is no way onto that desktop: say so, and fail.
start_weston wayland-tavelo-plain
as_account WAYLAND_DISPLAY=wayland-tavelo-plain timeout 20 "$APP" >"$WORK/plain.log" 2>&1 && status=0 || status=$?
[[ $status -eq 1 ]] || fail "exit status $status without XWayland: $(cat "$WORK/plain.log")"
grep -q "offers no background layer and no XWayland display" "$WORK/plain.log" || fail "unclear message: $(cat "$WORK/plain.log")"
! grep -q "set DISPLAY or WAYLAND_DISPLAY" "$WORK/plain.log" || fail "blames a missing WAYLAND_DISPLAY: $(cat "$WORK/plain.log")"
note "weston without XWayland: the application says there is no way onto that desktop and exits with status 1"
echo "PASS"
