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
export GDK_BACKEND=x11 NO_AT_BRIDGE=1
needs_program xfwm4 xfce4-panel xfdesktop
[[ -f /etc/xdg/xfce4/panel/default.xml ]] || { echo "SKIP: no default Xfce panel layout"; exit 77; }

start_desktop_with_a_note xfwm4
# The panel's first start without a layout asks which one to use: the user's answer,
# Xfce's default layout (two panels, the tray and a pager among their plugins).
mkdir -p "$HOME/.config/xfce4/xfconf/xfce-perchannel-xml"
cp /etc/xdg/xfce4/panel/default.xml "$HOME/.config/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"
xfce4-panel --sm-client-disable >"$WORK/panel.log" 2>&1 &
panel=$!
track $panel

# The panels of this session: mapped dock windows of the panel's.
panel_windows() {
  local id found=()
  for id in $(xdotool search --class xfce4-panel 2>/dev/null); do
    xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DOCK && viewable "$id" && found+=("$id")
  done
  ((${#found[@]} >= 2)) && echo "${found[@]}"
}
panels=$(settled 30 panel_windows) || fail "xfce4-panel showed no panels: $(tail -5 "$WORK/panel.log")"

# An area of a panel away from its clock, as "WxH+X+Y".
panel_area() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
    /Width:/ {w = $2} /Height:/ {h = $2} END {print (w < 160 ? w : 160) "x" h "+" x "+" y}'
}
# The process that hosts the tray items (the panel's tray plugin runs in a process of
# its own, a child of the panel).
tray_host_is_the_panel() {
  local host
  host=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID org.kde.StatusNotifierWatcher 2>/dev/null |
    sed -E 's/.*uint32 ([0-9]+).*/\1/') || return 1
  [[ "$host" == "$panel" || "$(ps -o ppid= -p "$host" 2>/dev/null | tr -d ' ')" == "$panel" ]]
}
item_in_the_tray() {
  gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems 2>/dev/null |
    grep -q "$1$TRAY_ITEM_PATH"
}

while_icon_desktop_off() {
  local id area bus
  for id in $panels; do
    expect_below "$wallpaper" "$id" "an Xfce panel"
    area=$(panel_area "$id")
    convert "$WORK/icons-of-xfdesktop-before.png" -crop "$area" +repage "$WORK/panel-before.png"
    convert "$WORK/icons-of-xfdesktop-turned-off.png" -crop "$area" +repage "$WORK/panel-after.png"
    pictures_alike "$WORK/panel-before.png" "$WORK/panel-after.png" ||
      fail "the panel at $area is not drawn over the live view as it was (icons-of-xfdesktop-turned-off.png)"
  done
  note "Xfce: both panels are drawn over the live view"

  wait_for 20 tray_host_is_the_panel || fail "the panel hosts no tray items: $(tail -5 "$WORK/panel.log")"
  bus=$(settled 20 bus_name_of "$app") || fail "the status item is not on the bus"
  wait_for 20 item_in_the_tray "$bus" || fail "the Tavelo item is not in the panel's tray"
  note "Xfce: the panel's tray holds the Tavelo item"

  xdotool set_desktop 1 || fail "no second workspace"
  wait_for 10 bash -c '[[ "$(xdotool get_desktop)" == 1 ]]' || fail "the pager did not switch workspaces"
  viewable "$wallpaper" || fail "the wallpaper is not on the second workspace"
  wait_for 20 screen_shows_content || fail "the live view does not show on the second workspace"
  xdotool set_desktop 0
  note "Xfce: the live view shows on the second workspace too"
}

check_icon_desktop_turned_off xfdesktop xfdesktop xfdesktop --disable-wm-check
grep -q "Started xfdesktop's desktop again (xfdesktop --disable-wm-check)" "$WORK/app.log" ||
  fail "xfdesktop was not started again as it had been: $(cat "$WORK/app.log")"
echo "PASS"
