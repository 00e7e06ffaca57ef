#!/usr/bin/env bash
# A whole MATE desktop as a user logs into it: mate-session starts marco, mate-panel
# (MATE's default panels, with their notification area) and caja, whose desktop hides
# the live view. The application asks once, on screen, whether to turn caja's desktop
# off; once it is off the live view shows under both panels on every workspace, the
# panel's notification area holds the Tavelo item, and the tray menu brings caja's
# desktop back as it was. caja draws no desktop for root, so the session and the
# application run as an unprivileged account, on a session bus of their own.
source "$(dirname "$0")/wm_lib.sh"
source "$(dirname "$0")/tray_lib.sh"
needs_program mate-session marco mate-panel caja
use_unprivileged_account "${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-mate-test"

start_display
start_site
use_temporary_home
# The account's own home: the settings the application reads and writes live there.
export HOME="$home"
mkdir -p "$home/Desktop" "$(dirname "$(settings_file)")"
# Written by the test before the application starts, and kept the account's own.
touch "$(settings_file)"
echo "a note" >"$home/Desktop/notes.txt"
chown -R "$account" "$home"

# The session's bus, reached as the account (a session bus lets in its own user only).
bus_address_file="$runtime/bus-address"
as_account DISPLAY="$DISPLAY" dbus-run-session -- bash -c \
  'echo "$DBUS_SESSION_BUS_ADDRESS" >"$XDG_RUNTIME_DIR/bus-address.new" &&
   mv "$XDG_RUNTIME_DIR/bus-address.new" "$XDG_RUNTIME_DIR/bus-address"; exec mate-session' >"$WORK/session.log" 2>&1 &
track $!
wait_for 30 test -s "$bus_address_file" || fail "the session's bus did not start: $(tail -5 "$WORK/session.log")"
session_bus=$(<"$bus_address_file")
gdbus() { as_account DBUS_SESSION_BUS_ADDRESS="$session_bus" gdbus "$@"; }
# The application as the session starts its programs. It replaces the shell it runs
# in (so that `$!` is the application), so it runs in the background only.
becomes_session_program() {
  exec setpriv --reuid="$account" --regid="$(id -g "$account")" --init-groups \
    env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$runtime" NO_AT_BRIDGE=1 DISPLAY="$DISPLAY" \
    DBUS_SESSION_BUS_ADDRESS="$session_bus" XDG_CURRENT_DESKTOP=MATE \
    TAVELO_TEST_VIEW_SITE_ORIGIN="$TAVELO_TEST_VIEW_SITE_ORIGIN" "$@"
}
APP_RUNNER=becomes_session_program

panel_windows() {
  local id found=()
  for id in $(xdotool search --class mate-panel 2>/dev/null); do
    xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DOCK && viewable "$id" && found+=("$id")
  done
  ((${#found[@]} >= 2)) && echo "${found[@]}"
}
panels=$(settled 60 panel_windows) || fail "mate-panel showed no panels: $(tail -5 "$WORK/session.log")"

# The program that holds the tray items' host: mate-panel's notification area applet.
tray_host_is_the_notification_area() {
  local host
  host=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID org.kde.StatusNotifierWatcher 2>/dev/null |
    sed -E 's/.*uint32 ([0-9]+).*/\1/') || return 1
  [[ "$(ps -o comm= -p "$host" 2>/dev/null)" == notification-ar* ]]
}
item_in_the_tray() {
  gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems 2>/dev/null |
    grep -q "$1$TRAY_ITEM_PATH"
}
# An area of a panel away from its clock, as "WxH+X+Y".
panel_area() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
    /Width:/ {w = $2} /Height:/ {h = $2} END {print (w < 160 ? w : 160) "x" h "+" x "+" y}'
}

while_icon_desktop_off() {
  local id area bus
  for id in $panels; do
    expect_below "$wallpaper" "$id" "a MATE panel"
    area=$(panel_area "$id")
    convert "$WORK/icons-of-caja-before.png" -crop "$area" +repage "$WORK/panel-before.png"
    convert "$WORK/icons-of-caja-turned-off.png" -crop "$area" +repage "$WORK/panel-after.png"
    pictures_alike "$WORK/panel-before.png" "$WORK/panel-after.png" ||
      fail "the panel at $area is not drawn over the live view as it was (icons-of-caja-turned-off.png)"
  done
  note "MATE: both panels are drawn over the live view"

  wait_for 20 tray_host_is_the_notification_area || fail "the panel hosts no tray items: $(tail -5 "$WORK/session.log")"
  bus=$(settled 20 bus_name_of "$app") || fail "the status item is not on the bus"
  wait_for 20 item_in_the_tray "$bus" || fail "the Tavelo item is not in the panel's notification area"
  note "MATE: the panel's notification area holds the Tavelo item"

  xdotool set_desktop 1 || fail "no second workspace"
  wait_for 10 bash -c '[[ "$(xdotool get_desktop)" == 1 ]]' || fail "marco did not switch workspaces"
  viewable "$wallpaper" || fail "the wallpaper is not on the second workspace"
  wait_for 20 screen_shows_content || fail "the live view does not show on the second workspace"
  xdotool set_desktop 0
  note "MATE: the live view shows on the second workspace too"
}

# mate-session has started caja already: the start command only waits for its desktop.
check_icon_desktop_turned_off caja caja true
grep -q "Told caja to turn its desktop off (gsettings set org.mate.background show-desktop-icons false)" "$WORK/app.log" ||
  fail "caja's desktop was not turned off through MATE's setting: $(cat "$WORK/app.log")"
echo "PASS"
