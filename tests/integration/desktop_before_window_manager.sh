#!/usr/bin/env bash
# A session may start the wallpaper before its window manager, or replace the manager
# later. The wallpaper follows: started with no manager, it stays an unmanaged window
# at the bottom once openbox starts; when mutter takes over it becomes a desktop
# window mutter manages; when openbox takes over again it is unmanaged again. Each
# time it lies below windows and docks, on every workspace, unfocused, out of the
# taskbar, and (unmanaged) a right click on it opens openbox's root menu.
source "$(dirname "$0")/wm_lib.sh"
needs_program openbox mutter

wm_name_is() {
  local check
  check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -oE '0x[0-9a-f]+') || return 1
  xprop -id "$check" _NET_WM_NAME 2>/dev/null | grep -q "= \"$1\""
}

unmanaged_and_unframed() {
  xwininfo -id "$wallpaper" | grep -q "Override Redirect State: yes" &&
    [[ "$(toplevel_of "$wallpaper")" == "$(printf '0x%x' "$wallpaper")" ]]
}

managed_by_manager() { xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$wallpaper")"; }

start_display
start_site
use_temporary_home
start_wallpaper
# openbox, replaced, takes back the list of what the manager supports after mutter has
# published its own, so xdotool would refuse to switch workspaces: ask as a pager does.
client_window pager dock 0x000000 1 1 0 0
switch_workspace() { tell_client_window pager "workspace $1"; }
unmanaged_and_unframed || fail "with no manager the wallpaper is not an unmanaged window"
note "no manager yet: the wallpaper is an unmanaged window"

start_named_window_manager openbox
wait_for 10 wm_name_is Openbox || fail "openbox did not announce itself"
# openbox would frame a window it manages at once; the count of manager lines below
# also shows that openbox's arrival changed nothing.
wait_for 10 unmanaged_and_unframed || fail "openbox framed or managed the wallpaper: $(xwininfo -id "$wallpaper")"
! grep -q "becomes" "$WORK/app.log" || fail "the wallpaper changed its style for a manager that suits it: $(cat "$WORK/app.log")"
check_running_desktop_layer openbox-after-wallpaper
right_click_opens_menu 1400 800 "openbox's root menu"
xdotool key Escape
note "openbox started after the wallpaper: unmanaged, unframed, and a right click opens the root menu"

mutter --x11 --replace --sm-disable >"$WORK/mutter.log" 2>&1 &
track $!
wait_for 30 wm_name_is Mutter || fail "mutter did not take over: $(tail -5 "$WORK/mutter.log")"
wait_for 20 grep -q "The window manager is now Mutter: the wallpaper becomes a desktop window" "$WORK/app.log" ||
  fail "the wallpaper did not follow mutter: $(cat "$WORK/app.log")"
wait_for 20 managed_by_manager || fail "mutter does not manage the wallpaper"
wallpaper=$(settled 20 wallpaper_window) || fail "the wallpaper window is gone"
wait_for 20 viewable "$wallpaper" || fail "the wallpaper was not shown again"
xwininfo -id "$wallpaper" | grep -q "Override Redirect State: no" || fail "the wallpaper is still unmanaged"
wait_for 20 screen_shows_content || fail "the page does not show under mutter"
check_running_desktop_layer mutter-after-openbox
[[ $(grep -c "The window manager is now" "$WORK/app.log") -eq 1 ]] || fail "not one line for one change: $(cat "$WORK/app.log")"
note "mutter replaced openbox: the wallpaper became a managed desktop window, with one log line"

openbox --replace --sm-disable >"$WORK/openbox-again.log" 2>&1 &
track $!
wait_for 30 wm_name_is Openbox || fail "openbox did not take over again: $(tail -5 "$WORK/openbox-again.log")"
wait_for 20 grep -q "The window manager is now Openbox: the wallpaper becomes an unmanaged window" "$WORK/app.log" ||
  fail "the wallpaper did not follow openbox: $(cat "$WORK/app.log")"
wait_for 20 unmanaged_and_unframed || fail "the wallpaper is still framed or managed: $(xwininfo -id "$wallpaper")"
wait_for 20 viewable "$wallpaper" || fail "the wallpaper was not shown again"
wait_for 20 screen_shows_content || fail "the page does not show under openbox again"
check_running_desktop_layer openbox-after-mutter
right_click_opens_menu 1400 800 "openbox's root menu"
screen_shot desktop-before-window-manager-root-menu
note "openbox replaced mutter: unmanaged and unframed again, a right click opens the root menu"
echo "PASS"
