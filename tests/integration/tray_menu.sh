#!/usr/bin/env bash
# The tray menu of the running application, driven over D-Bus as a tray host would:
# its six entries in order; "Hide Wallpaper" unmaps the wallpaper and retitles the
# entry, and the entry maps it back; "Settings" maps the settings window and brings it
# in front of another application's active window; launching the application again
# does the same; "Quit" ends the process (and its web processes) with status 0, also
# while the first launch's modal question is on screen. Every window carries the
# product's icon.
if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then exec dbus-run-session -- bash "$0" "$@"; fi
source "$(dirname "$0")/wm_lib.sh"
source "$(dirname "$0")/tray_lib.sh"
ARTIFACTS="$BUILD_DIR/test-artifacts"
mkdir -p "$ARTIFACTS"
export GDK_BACKEND=x11 GTK_THEME=Adwaita NO_AT_BRIDGE=1

start_display 1280x800x24
start_window_manager
use_temporary_home
mkdir -p "$(dirname "$(settings_file)")"
echo '{"firstLaunchDone": true, "selectedViewID": "crypto_bubbles"}' >"$(settings_file)"

"$APP" >"$WORK/app.log" 2>&1 &
app=$!
track $app
trap 'cat "$WORK/app.log" >&2' ERR
wait_for 30 bus_name_of $app || fail "the status item never appeared on the bus"
bus=$(bus_name_of $app)
wait_for 20 wallpaper_window || fail "no wallpaper window"
wallpaper=$(wallpaper_window)
wait_for 10 is_viewable "$wallpaper" || fail "the wallpaper is not mapped"
expect_product_icon "$wallpaper" "the wallpaper"

note "menu entries"
entries=$(menu_entries "$bus" | cut -f2,3)
expected=$'Hide Wallpaper\tControl+w\nSettings\tControl+c\nInstall Screen Saver…\t\nOpen Screen Saver Preferences\tControl+s\n---\nQuit\tControl+q'
[[ "$entries" == "$expected" ]] || fail "menu entries:"$'\n'"$entries"
gdbus introspect --session --dest "$bus" --object-path "$TRAY_ITEM_PATH" --only-properties |
  grep -q "IconName = 'TVlogo'" || fail "the status item does not show the logo"

note "hide and show"
click_entry "$bus" "Hide Wallpaper" || fail "no entry Hide Wallpaper"
wait_for 10 bash -c "! xwininfo -id $wallpaper | grep -q IsViewable" || fail "Hide Wallpaper left the wallpaper mapped"
wait_for 5 bash -c "source '$(dirname "$0")/tray_lib.sh'; [[ \$(menu_label_of_first_entry $bus) == 'Show Wallpaper' ]]" ||
  fail "the entry was not retitled: $(menu_label_of_first_entry "$bus")"
click_entry "$bus" "Show Wallpaper" || fail "no entry Show Wallpaper"
wait_for 10 is_viewable "$wallpaper" || fail "Show Wallpaper did not map the wallpaper again"
wait_for 5 bash -c "source '$(dirname "$0")/tray_lib.sh'; [[ \$(menu_label_of_first_entry $bus) == 'Hide Wallpaper' ]]" ||
  fail "the entry did not get its title back"
[[ $(wallpaper_window) == "$wallpaper" ]] || fail "the wallpaper window was replaced"

note "settings, in front of another application"
settings_window() { xdotool search --onlyvisible --name "^$TAVELO_SETTINGS_WINDOW_TITLE\$" 2>/dev/null | head -1; }
xmessage -name other-application -geometry 600x300+100+100 "another application" >/dev/null 2>&1 &
track $!
wait_for 10 xdotool search --classname '^other-application$' || fail "the other application did not start"
other=$(xdotool search --classname '^other-application$' | head -1)
xdotool windowactivate --sync "$other" || fail "cannot activate the other application"
[[ -n "$(settings_window)" ]] && fail "the settings window is shown before anyone asked for it"
click_entry "$bus" "Settings" || fail "no entry Settings"
wait_for 10 settings_window || fail "Settings did not map the settings window"
win=$(settings_window)
wait_for 5 bash -c "[[ \$(xdotool getactivewindow) == $win ]]" ||
  fail "the settings window is not the active window (active: $(xdotool getactivewindow), other: $other)"
settled_screen_shot settings-from-menu
cp "$WORK/settings-from-menu.png" "$ARTIFACTS/settings-from-menu.png"
expect_product_icon "$win" "the settings window"

note "launching again brings the settings window back"
xdotool windowactivate --sync "$win" key alt+F4
wait_for 5 bash -c "! xdotool search --onlyvisible --name '^$TAVELO_SETTINGS_WINDOW_TITLE\$'" || fail "close did not hide the settings window"
"$APP" >"$WORK/second.log" 2>&1 || fail "the second launch failed: $(cat "$WORK/second.log")"
wait_for 10 settings_window || fail "launching again did not open the settings window"
kill -0 $app || fail "the first instance is gone"

note "quit"
web_processes=$(pgrep -P $app | tr '\n' ' ')
[[ -n "$web_processes" ]] || fail "no web processes under the application"
click_entry "$bus" "Quit" || fail "no entry Quit"
status=0
for _ in $(seq 100); do kill -0 $app 2>/dev/null || break; sleep 0.1; done
kill -0 $app 2>/dev/null && fail "Quit did not end the application"
wait $app || status=$?
[[ $status == 0 ]] || fail "Quit ended the application with status $status"
for pid in $web_processes; do
  wait_for 10 bash -c "! kill -0 $pid 2>/dev/null" || fail "web process $pid outlived the application"
done
note "quit while the first launch's question is on screen"
rm "$(settings_file)"
"$APP" >"$WORK/first.log" 2>&1 &
first=$!
track $first
wait_for 30 bus_name_of $first || fail "the first launch's status item never appeared"
wait_for 15 alert_window || fail "the first launch did not ask to install the screen saver"
expect_product_icon "$(alert_window)" "the first launch's question"
click_entry "$(bus_name_of $first)" "Quit" || fail "no entry Quit during the question"
for _ in $(seq 100); do kill -0 $first 2>/dev/null || break; sleep 0.1; done
kill -0 $first 2>/dev/null && fail "the open question held Quit back"
wait $first || fail "Quit during the question ended with status $?"

echo "PASS tray menu (screenshot: $ARTIFACTS/settings-from-menu.png)"
