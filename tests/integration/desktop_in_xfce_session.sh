#!/usr/bin/env bash
# An Xfce desktop as Xfce starts it: xfwm4 (compositing on), xfce4-panel with Xfce's
# default panels, and xfdesktop's icons over its backdrop. xfdesktop hides the live
# view, so the application asks once, on screen, whether to turn it off; once it is
# off the live view shows under both panels on every workspace, the panel's tray holds
# the Tavelo item, and the tray menu brings xfdesktop back as it had been started.
# A session bus of its own: the panel, xfdesktop and xfconf are one per bus.
[[ -n "${TAVELO_OWN_BUS:-}" ]] || TAVELO_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@"
source "$(dirname "$0")/wm_lib.sh"
source "$(dirname "$0")/tray_lib.sh"
source "$(dirname "$0")/session_lib.sh"
export GDK_BACKEND=x11 NO_AT_BRIDGE=1
needs_program xfwm4 xfce4-panel xfdesktop
[[ -f /etc/xdg/xfce4/panel/default.xml ]] || { echo "SKIP: no default Xfce panel layout"; exit 77; }

start_desktop_with_a_note xfwm4
# The panel's first start without a layout asks which one to use: the user's answer,
# Xfce's default layout (two panels, the tray and a pager among their plugins).
mkdir -p "$HOME/.config/xfce4/xfconf/xfce-perchannel-xml"
cp /etc/xdg/xfce4/panel/default.xml "$HOME/.config/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"
xfce4-panel --sm-client-disable >"$WORK/panel.log" 2>&1 &
track $!
panels=$(settled 30 session_panels xfce4-panel 2) || fail "xfce4-panel showed no panels: $(tail -5 "$WORK/panel.log")"

# The panel runs its tray plugin in a process of its own, which it starts.
while_icon_desktop_off() { check_session_over_the_view Xfce xfdesktop "$panels" xfce4-panel; }
check_icon_desktop_turned_off xfdesktop xfdesktop xfdesktop --disable-wm-check
grep -q "Started xfdesktop's desktop again (xfdesktop --disable-wm-check)" "$WORK/app.log" ||
  fail "xfdesktop was not started again as it had been: $(cat "$WORK/app.log")"
echo "PASS"
