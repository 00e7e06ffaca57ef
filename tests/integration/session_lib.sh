# Helpers for the tests of whole desktops: a manager, its panels with their tray, and
# an icon layer whose desktop the application turns off on the user's answer. Sourced
# after wm_lib.sh and tray_lib.sh.

# session_panels CLASS COUNT: the session's panels, mapped dock windows of CLASS, once
# there are COUNT of them.
session_panels() {
  local id found=()
  for id in $(xdotool search --class "$1" 2>/dev/null); do
    xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DOCK && viewable "$id" && found+=("$id")
  done
  ((${#found[@]} >= $2)) && echo "${found[@]}"
}

# The process that hosts the tray's items (it owns the StatusNotifierWatcher name).
tray_host_process() {
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID org.kde.StatusNotifierWatcher 2>/dev/null |
    sed -nE 's/.*uint32 ([0-9]+).*/\1/p' | grep .
}
# tray_hosted_by COMMAND: that process, or the one that started it, has a command name
# that starts with COMMAND (the panel itself, or a part of it that runs its tray).
tray_hosted_by() {
  local host parent
  host=$(tray_host_process) || return 1
  parent=$(ps -o ppid= -p "$host" 2>/dev/null | tr -d ' ')
  [[ "$(ps -o comm= -p "$host" 2>/dev/null)" == "$1"* || "$(ps -o comm= -p "$parent" 2>/dev/null)" == "$1"* ]]
}
# item_in_the_tray BUS: the item the application put on BUS is one the tray shows.
item_in_the_tray() {
  gdbus call --session --dest org.kde.StatusNotifierWatcher --object-path /StatusNotifierWatcher \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems 2>/dev/null |
    grep -q "$1$TRAY_ITEM_PATH"
}

# A part of a panel away from its clock, as "WxH+X+Y".
panel_area() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
    /Width:/ {w = $2} /Height:/ {h = $2} END {print (w < 160 ? w : 160) "x" h "+" x "+" y}'
}

# check_session_over_the_view NAME CLASS PANELS TRAY_HOST: run while the icon desktop
# is off and the live view shows (check_icon_desktop_turned_off's hook). Each panel lies
# above the wallpaper and is drawn as it was with the icon desktop on, the tray (hosted
# by TRAY_HOST) holds the Tavelo item, and the second workspace shows the live view.
check_session_over_the_view() {
  local name=$1 class=$2 panels=$3 host=$4 id area bus
  for id in $panels; do
    expect_below "$wallpaper" "$id" "a panel of $name"
    area=$(panel_area "$id")
    convert "$WORK/icons-of-$class-before.png" -crop "$area" +repage "$WORK/panel-before.png"
    convert "$WORK/icons-of-$class-turned-off.png" -crop "$area" +repage "$WORK/panel-after.png"
    pictures_alike "$WORK/panel-before.png" "$WORK/panel-after.png" ||
      fail "the panel at $area is not drawn over the live view as it was (icons-of-$class-turned-off.png)"
  done
  note "$name: the panels are drawn over the live view"

  wait_for 20 tray_hosted_by "$host" || fail "$host hosts no tray items (the host: $(tray_host_process || echo none))"
  bus=$(settled 20 bus_name_of "$app") || fail "the status item is not on the bus"
  wait_for 20 item_in_the_tray "$bus" || fail "the Tavelo item is not in the panel's tray"
  note "$name: the panel's tray holds the Tavelo item"

  xdotool set_desktop 1 || fail "no second workspace"
  wait_for 10 bash -c '[[ "$(xdotool get_desktop)" == 1 ]]' || fail "the manager did not switch workspaces"
  viewable "$wallpaper" || fail "the wallpaper is not on the second workspace"
  wait_for 20 screen_shows_content || fail "the live view does not show on the second workspace"
  xdotool set_desktop 0
  note "$name: the live view shows on the second workspace too"
}
