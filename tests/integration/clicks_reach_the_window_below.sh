#!/usr/bin/env bash
# The wallpaper lets every click through. Without a window manager the wallpaper is
# mapped on top of a test window, so a click that reaches the test window has
# gone through the wallpaper.
source "$(dirname "$0")/lib.sh"

start_display
start_site
use_temporary_home

xev -geometry 600x400+100+100 -name below-the-wallpaper -event button >"$WORK/xev.log" 2>&1 &
track $!
wait_for 10 xdotool search --name '^below-the-wallpaper$' || fail "the test window did not appear"
below=$(xdotool search --name '^below-the-wallpaper$' | head -1)

"$APP" 2>"$WORK/app.log" &
track $!
wait_for 20 wallpaper_window || fail "no wallpaper window: $(cat "$WORK/app.log")"
wallpaper=$(wallpaper_window)
wait_for 20 screen_shows_content || fail "the page was not drawn"

# Without a window manager the later window lies on top; check that it really covers the test window.
order=$(xwininfo -root -children | grep -oE '0x[0-9a-f]+' | tail -n +2)
printf '%s\n' "$order" | grep -qi "$(printf '0x%x' "$wallpaper")" || fail "wallpaper not a child of the root"
pos_wallpaper=$(printf '%s\n' "$order" | grep -ni "$(printf '0x%x' "$wallpaper")" | cut -d: -f1)
pos_below=$(printf '%s\n' "$order" | grep -ni "$(printf '0x%x' "$below")" | cut -d: -f1)
[[ -n "$pos_below" && -n "$pos_wallpaper" ]] || fail "cannot find both windows in the stacking order"
# xwininfo lists children from the top of the stack down.
((pos_wallpaper < pos_below)) || fail "the wallpaper is not above the test window (order: $order)"

xdotool mousemove 300 250 click 1
wait_for 5 grep -q ButtonPress "$WORK/xev.log" || fail "the click did not reach the window below"
note "a click over the wallpaper reached the window below it"
echo "PASS"
