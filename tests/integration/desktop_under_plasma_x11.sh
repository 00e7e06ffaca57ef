#!/usr/bin/env bash
# KDE Plasma on X11: plasmashell's desktop (its wallpaper and icons) lies over the
# wallpaper, and KWin draws desktop windows opaque, so the live view cannot show there.
# The wallpaper stays beneath Plasma's desktop (nothing hidden takes a click), the
# application says so on screen once, naming plasmashell, runs nothing to change it,
# and remembers that it told.
# A session bus of its own: plasmashell is one per bus.
[[ -n "${TAVELO_OWN_BUS:-}" ]] || TAVELO_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
source "$(dirname "$0")/wm_lib.sh"
export GDK_BACKEND=x11 NO_AT_BRIDGE=1
needs_program kwin_x11 plasmashell

start_display
start_site
use_temporary_home
start_named_window_manager kwin_x11
# The services Plasma starts through the bus (its activity manager, its shortcuts) are
# started by the bus, which began before the display: it has to be told where it is.
dbus-update-activation-environment DISPLAY HOME XDG_RUNTIME_DIR
plasmashell >"$WORK/plasma.log" 2>&1 &
track $!
wait_for 90 stable_icon_layer plasmashell || fail "plasmashell drew no desktop: $(tail -5 "$WORK/plasma.log")"
settled_screen_shot plasma-alone

start_wallpaper_beside_icons
dialog=$(settled 30 alert_window) || fail "nothing on screen says why the live view is hidden: $(cat "$WORK/app.log")"
grep -q "plasmashell's desktop hides the live wallpaper and cannot be turned off; telling the user once" "$WORK/app.log" ||
  fail "the notice does not name plasmashell: $(cat "$WORK/app.log")"
layer=$(settled 5 icon_layer_window plasmashell) || fail "Plasma's desktop went away"
expect_below "$wallpaper" "$layer" "Plasma's desktop"
wait_for 10 is_below "$layer" "$dialog" ||
  fail "the notice lies under Plasma's desktop (positions from the top of notice and desktop: $(stacking_positions "$dialog" "$layer"))"
# What the screen shows where the notice is, with and without it.
notice_area() {
  xwininfo -id "$dialog" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
    /Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h "+" x "+" y}'
}
area=$(notice_area)
notice_drawn() {
  root_window_shot plasma-notice || return 1
  convert "$WORK/plasma-alone.png" -crop "$area" +repage "$WORK/area-alone.png" &&
    convert "$WORK/plasma-notice.png" -crop "$area" +repage "$WORK/area-notice.png" &&
    ! pictures_alike "$WORK/area-alone.png" "$WORK/area-notice.png"
}
wait_for 20 notice_drawn || fail "the notice is not seen on screen at $area (plasma-notice.png)"
keep_screen_shot plasma-notice
note "plasmashell: the wallpaper lies beneath Plasma's desktop and a notice on screen says why (plasma-notice.png)"

xdotool windowactivate --sync "$dialog" key Return
dialog_gone() { ! viewable "$dialog"; }
wait_for 20 dialog_gone || fail "the notice stayed on screen"
choices="$(dirname "$(settings_file)")/icon-desktops.json"
wait_for 10 grep -q '"plasmashell"' "$choices" || fail "the notice was not remembered: $(cat "$choices" 2>&1)"
! grep -qE "Told|Started|Cannot" "$WORK/app.log" || fail "something was run: $(cat "$WORK/app.log")"
kill -0 "$app" || fail "the application ended"
note "plasmashell: the notice closes with its one button, is remembered, and nothing was run"
echo "PASS"
