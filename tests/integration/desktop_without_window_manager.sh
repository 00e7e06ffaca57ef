#!/usr/bin/env bash
# With no window manager nobody keeps a window below the others: the wallpaper keeps
# itself at the bottom, under windows mapped before and after it, shows itself again
# when another program unmaps it, and clicks and scrolls over it reach the root window.
source "$(dirname "$0")/wm_lib.sh"

start_display
start_site
use_temporary_home
client_window before normal 0xff0000 400 300 100 100
before=$client_id
start_wallpaper
expect_covers_screen "$wallpaper"
client_window after normal 0x0000ff 400 300 700 100
after=$client_id
expect_below "$wallpaper" "$before" "a window mapped before it"
expect_below "$wallpaper" "$after" "a window mapped after it"
[[ "$(screen_pixel 300 250)" == "255 0 0" ]] || fail "the earlier window is hidden"
[[ "$(screen_pixel 900 250)" == "0 0 255" ]] || fail "the later window is hidden"
# A client that lowers its own window beneath the wallpaper does not stay there.
tell_client_window after lower
expect_below "$wallpaper" "$after" "a window that lowered itself"
note "no manager: the wallpaper stays at the bottom"

# Nothing should take the desktop away: a window unmapped behind the wallpaper's back
# (a manager on its way out does this) is shown again, still at the bottom.
xdotool windowunmap "$wallpaper"
wait_for 5 viewable "$wallpaper" || fail "the wallpaper stayed unmapped after another program unmapped it"
expect_below "$wallpaper" "$before" "a window mapped before it, after it was shown again"
note "no manager: a wallpaper unmapped by another program is shown again"

# A program that fights for the bottom (another wallpaper, say) makes the wallpaper
# yield for a while rather than restack without end; once the fight stops it takes
# the bottom again.
fight_word() { grep -q "Another program keeps putting its window beneath the wallpaper" "$WORK/app.log"; }
lower_again_unless_yielded() { tell_client_window after lower; fight_word; }
wait_for 20 lower_again_unless_yielded || fail "no word of the fight: $(cat "$WORK/app.log")"
wait_for 15 is_below "$wallpaper" "$after" || fail "the wallpaper did not take the bottom again after the fight"
note "no manager: a window fighting for the bottom makes the wallpaper yield, then it takes the bottom again"

listen_on_root
xdotool mousemove 1500 800
wait_for 10 reaches_root 1 || fail "a click on the wallpaper did not reach the root window"
wait_for 10 reaches_root 5 || fail "a scroll over the wallpaper did not reach the root window"
expect_not_focused "$wallpaper"
note "no manager: a click and a scroll over the wallpaper reach the root window"
echo "PASS"
