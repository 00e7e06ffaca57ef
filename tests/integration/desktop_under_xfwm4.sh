#!/usr/bin/env bash
# xfwm4 keeps a desktop window below, but never restacks it beneath an icon layer
# mapped before it, so the wallpaper is an unmanaged window at the bottom there:
# below windows and docks, on every workspace, out of the taskbar, never focused.
source "$(dirname "$0")/wm_lib.sh"
needs_program xfwm4 xrefresh

start_display
start_site
use_temporary_home
start_named_window_manager xfwm4
check_desktop_layer xfwm4
! xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$wallpaper")" || fail "xfwm4 manages the wallpaper"
[[ "$(toplevel_of "$wallpaper")" == "$(printf '0x%x' "$wallpaper")" ]] || fail "xfwm4 put the wallpaper in a frame"
# xfwm4 draws a full-screen unmanaged window past its compositor (over everything)
# unless the window asks to stay composited.
xprop -id "$wallpaper" _NET_WM_BYPASS_COMPOSITOR | grep -q "= 2$" || fail "the wallpaper does not ask to stay composited"
note "xfwm4: the wallpaper is no client of the manager, has no frame and stays composited"

# A compositor that starts while the wallpaper is up (xfwm4 replaced, compositing
# switched off and on, xfwm4 started again after a crash) shows all of the page
# within 2 s, with the normal window and the dock still mapped.
compositor() { python3 "$SOURCE_DIR/tests/integration/helpers/selection_owner.py" _NET_WM_CM_S0; }
composited_by_another() { local owner; owner=$(compositor) && [[ "$owner" != 0x0 && "$owner" != "$1" ]]; }
not_composited() { [[ "$(compositor)" == 0x0 ]]; }
# Share of a picture's pixels that are black: what a compositor does not draw is black.
black_share() { convert "$1" -resize 480x270\! -fx '(r+g+b < 0.03) ? 1 : 0' -colorspace Gray -format '%[fx:mean]' info:; }
settled_screen_shot composited
black_before=$(black_share "$WORK/composited.png")
painted() { awk -v before="$black_before" -v now="$(black_share "$1")" 'BEGIN { exit !(now < before + 0.01) }'; }
# expect_painted_again AFTER, once the new compositor owns its selection: the screen is
# looked at when the 2 s the page has to be whole again are up (a compositor that starts
# shows the old screen for a moment, so an earlier look proves nothing), and once more
# after everything on it is drawn again (a compositor that lost the wallpaper shows
# black there).
expect_painted_again() {
  local name=${1// /-} start=$EPOCHREALTIME
  sleep "$(awk -v start="$start" -v now="$EPOCHREALTIME" 'BEGIN { left = start + 2 - now; print (left > 0 ? left : 0) }')"
  import -window root "$WORK/$name.png"
  keep_screen_shot "$name"
  painted "$WORK/$name.png" ||
    fail "black left on the page 2 s after $1: $(black_share "$WORK/$name.png") of the screen, $black_before before ($name.png)"
  xrefresh
  settled_screen_shot "$name-redrawn"
  painted "$WORK/$name-redrawn.png" ||
    fail "after $1 the compositor shows no wallpaper once the screen is drawn again: $(black_share "$WORK/$name-redrawn.png") black ($name-redrawn.png)"
  note "$1: the page is whole 2 s after the new compositor took over, and after the screen is drawn again"
}

owner=$(compositor)
[[ "$owner" != 0x0 ]] || fail "xfwm4 does not composite"
xfwm4 --replace --sm-client-disable >"$WORK/wm-replaced.log" 2>&1 &
manager=$!
track $manager
wait_for 20 composited_by_another "$owner" || fail "xfwm4 --replace did not start compositing: $(tail -3 "$WORK/wm-replaced.log")"
expect_painted_again "xfwm4 --replace"

if xfconf-query -c xfwm4 -p /general/use_compositing >/dev/null 2>&1; then
  xfconf-query -c xfwm4 -p /general/use_compositing -s false
  wait_for 20 not_composited || fail "switching compositing off did not stop it"
  xfconf-query -c xfwm4 -p /general/use_compositing -s true
else
  note "no xfconf settings here: compositing is switched by replacing xfwm4"
  xfwm4 --replace --sm-client-disable --compositor=off >"$WORK/wm-off.log" 2>&1 &
  track $!
  wait_for 20 not_composited || fail "xfwm4 --compositor=off still composites"
  xfwm4 --replace --sm-client-disable --compositor=on >"$WORK/wm-on.log" 2>&1 &
  manager=$!
  track $manager
fi
wait_for 20 composited_by_another 0x0 || fail "switching compositing on did not start it"
expect_painted_again "a compositing toggle"

owner=$(compositor)
kill -KILL "$manager"
wait_for 20 not_composited || fail "a killed xfwm4 left its compositor selection behind"
xfwm4 --sm-client-disable >"$WORK/wm-after-crash.log" 2>&1 &
track $!
wait_for 20 composited_by_another 0x0 || fail "xfwm4 did not composite again after a crash"
expect_painted_again "a compositor crash"
echo "PASS"
