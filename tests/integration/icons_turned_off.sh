#!/usr/bin/env bash
# icons_turned_off.sh PROGRAM: PROGRAM (pcmanfm-qt, LXQt's icon layer, under openbox;
# Xfce's is checked inside a whole Xfce desktop) paints an opaque desktop over the wallpaper. The
# application asks on screen whether to turn it off, does so with the program's own
# switch when told, and from the tray menu starts it again as it had been started.
# A session bus of its own: the icon program is one per bus, and other tests run
# theirs beside this one.
[[ -n "${TAVELO_OWN_BUS:-}" ]] || TAVELO_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
source "$(dirname "$0")/wm_lib.sh"
source "$(dirname "$0")/tray_lib.sh"
export GDK_BACKEND=x11 NO_AT_BRIDGE=1
case "${1:-}" in
  pcmanfm-qt) manager=openbox start=(pcmanfm-qt --desktop) ;;
  *) fail "no such icon program: ${1:-none given}" ;;
esac
needs_program "$manager" "$1"

start_desktop_with_a_note "$manager"
check_icon_desktop_turned_off "$1" "$1" "${start[@]}"
grep -q "Started $1's desktop again (${start[*]})" "$WORK/app.log" ||
  fail "$1 was not started again as it had been: $(cat "$WORK/app.log")"
echo "PASS"
