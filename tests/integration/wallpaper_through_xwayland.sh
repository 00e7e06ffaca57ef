#!/usr/bin/env bash
# A Wayland compositor without layer-shell (headless weston) has no background layer:
# the application restarts itself through XWayland and puts a desktop-type window
# covering the output there. Compositor and application run as an unprivileged account.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/weston_lib.sh"

command -v weston >/dev/null && command -v Xwayland >/dev/null || { echo "weston or Xwayland missing"; exit 77; }
use_unprivileged_account "${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-xwayland-test"

start_weston wayland-tavelo xwayland

as_account WAYLAND_DISPLAY=wayland-tavelo DISPLAY="$xdisplay" "$APP" >"$WORK/app.log" 2>&1 &
track $!
wait_for 20 log_has_line_ending "$WORK/app.log" "App did finish launching" || fail "no launch: $(tail -5 "$WORK/app.log")"
! grep -q "❌" "$WORK/app.log" || fail "a failure line: $(grep "❌" "$WORK/app.log")"

wait_for 20 desktop_window_on_xwayland "$xdisplay" || fail "no desktop window on XWayland"
window=$(desktop_window_on_xwayland "$xdisplay")
geometry=$(as_account DISPLAY="$xdisplay" xwininfo -id "$window")
grep -q "Width: 1280" <<<"$geometry" && grep -q "Height: 720" <<<"$geometry" || fail "does not cover the output: $geometry"
note "no layer-shell: the wallpaper is a mapped desktop-type window on XWayland covering the 1280x720 output"
echo "PASS"
