# Helpers for driving the tray menu the way a StatusNotifierItem host does: over D-Bus,
# reading the exported menu (com.canonical.dbusmenu) and clicking its items.

# The unique bus name of process $1, once it is on the session bus.
bus_name_of() {
  local name pid
  for name in $(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.ListNames | grep -o "':[0-9.]*'" | tr -d "'"); do
    pid=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
      --method org.freedesktop.DBus.GetConnectionUnixProcessID "$name" 2>/dev/null | sed -E 's/.*uint32 ([0-9]+).*/\1/')
    if [[ "$pid" == "$1" ]] && gdbus introspect --session --dest "$name" --object-path "$TRAY_ITEM_PATH" >/dev/null 2>&1; then
      echo "$name"
      return 0
    fi
  done
  return 1
}

TRAY_ITEM_PATH=/org/ayatana/NotificationItem/tavelo_live_wallpaper
TRAY_MENU_PATH=$TRAY_ITEM_PATH/Menu

# The menu's entries, one a line: "ID<TAB>label<TAB>shortcut", "ID<TAB>---" for a separator.
menu_entries() {
  gdbus call --session --dest "$1" --object-path "$TRAY_MENU_PATH" \
    --method com.canonical.dbusmenu.GetLayout -- 0 -1 "['label', 'type', 'shortcut']" | python3 "$(dirname "${BASH_SOURCE[0]}")/helpers/dbusmenu_entries.py"
}

# Clicks the entry whose label is $2 in the menu of bus name $1.
click_entry() {
  local id
  id=$(menu_entries "$1" | awk -F'\t' -v label="$2" '$2 == label { print $1 }')
  [[ -n "$id" ]] || return 1
  gdbus call --session --dest "$1" --object-path "$TRAY_MENU_PATH" \
    --method com.canonical.dbusmenu.Event -- "$id" clicked "<0>" 0 >/dev/null
}

menu_label_of_first_entry() { menu_entries "$1" | head -1 | cut -f2; }

is_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }
