#!/usr/bin/env bash
# The settings window on a real (virtual) desktop: it is built hidden at start-up,
# shows the four previews with the stored view marked and the coming-soon card
# covered; a click on a card stores the view in config.json and loads its page into
# the wallpaper; the checkbox creates and removes the autostart entry; closing only
# hides it. The window is opened by launching the application again, as a user
# without a tray would (the tray menu has a test of its own). A screenshot is left in $TAVELO_BUILD_DIR/test-artifacts/.
source "$(dirname "$0")/lib.sh"
artifacts="$BUILD_DIR/test-artifacts"
mkdir -p "$artifacts"

start_display 1280x800x24
start_window_manager
use_temporary_home
export XDG_CONFIG_HOME="$HOME/.config" GDK_BACKEND=x11 GTK_THEME=Adwaita NO_AT_BRIDGE=1
config=$(settings_file)
autostart="$XDG_CONFIG_HOME/autostart/$TAVELO_PROGRAM_NAME.desktop"
mkdir -p "$(dirname "$config")" "$XDG_CONFIG_HOME/$TAVELO_PROGRAM_NAME"
# Should the application start its own view site, its data job asks only a closed loopback port.
printf '{"screenerURL": "http://127.0.0.1:9/s", "historyURL": "http://127.0.0.1:9/{symbol}"}\n' \
  >"$XDG_CONFIG_HOME/$TAVELO_PROGRAM_NAME/site.json"
# Not a first launch, so that only the checkbox touches the autostart entry.
printf '{"firstLaunchDone": true, "selectedViewID": "crypto_chart"}\n' >"$config"

# A stand-in for the view site: its request log tells which page the wallpaper loaded.
# On 127.0.0.2, loopback but not the built-in site's address, so it is loaded as a
# deployed site would be (a stand-in on 127.0.0.1 is not this account's site).
mkdir -p "$WORK/site"
echo '<!doctype html><title>view</title><body style="background:#123">' >"$WORK/site/view.html"
start_stand_in_site "$WORK/site" "$WORK/site.log" 127.0.0.2

"$APP" >"$WORK/app.log" 2>&1 &
app_pid=$!
track $app_pid
fail() { echo "FAIL: $*" >&2; echo "--- application log:" >&2; cat "$WORK/app.log" >&2 || true; exit 1; }
settings_window() { xdotool search --onlyvisible --name "^$TAVELO_SETTINGS_WINDOW_TITLE\$" 2>/dev/null | head -1; }
has_settings_window() { [[ -n "$(settings_window)" ]]; }

wait_for 20 grep -q "App did finish launching" "$WORK/app.log" || fail "the application did not start"
wait_for 20 wallpaper_window || fail "no wallpaper window"
# Start-up is over once the wallpaper has drawn its page (the crypto chart, a bundled one).
wait_for 30 screen_shows_content || fail "the wallpaper did not draw its page"
has_settings_window && fail "the settings window is shown before anyone asked for it"

"$APP" >>"$WORK/second.log" 2>&1 || fail "launching again failed"
wait_for 10 has_settings_window || fail "the settings window did not open"
win="$(settings_window)"
eval "$(xdotool getwindowgeometry --shell "$win")"
[[ "$WIDTH" == 560 && "$HEIGHT" == 560 ]] || fail "content is ${WIDTH}x${HEIGHT}, not 560x560"
# Centred on the 1280x800 screen (the title bar sits above the content).
((X > 330 && X < 390)) || fail "window not centred horizontally (x=$X)"
# Colour samples in window coordinates: the marked card's accent border on the
# second card (the stored view), no border on the first, and the dark overlay on
# the coming-soon card.
pixel() { convert "$artifacts/settings-window.png" -format "%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]" -crop "1x1+$1+$2" info:; }
is_blue() { IFS=, read -r r g b <<<"$1"; ((b > 150 && b > r + 60)); }
# The window is drawn once its cards are: the stored view's border is there.
cards_drawn() { import -window "$win" "$artifacts/settings-window.png" 2>/dev/null && is_blue "$(pixel 289 160)"; }
wait_for 10 cards_drawn || true
is_dark() { IFS=, read -r r g b <<<"$1"; ((r < 170 && g < 170 && b < 170)); }
is_blue "$(pixel 289 160)" || fail "the stored view's card has no accent border: $(pixel 289 160)"
is_blue "$(pixel 33 160)" && fail "an unselected card carries the accent border"
is_dark "$(pixel 300 460)" || fail "the coming-soon card is not covered: $(pixel 300 460)"
# The previews are pictures, not blank panels.
[[ "$(convert "$artifacts/settings-window.png" -crop 224x110+40+66 -format '%[fx:standard_deviation>0.05]' info:)" == 1 ]] \
  || fail "the first card shows no preview picture"

# A click on the S&P 500 card: stored, then its page is requested by the wallpaper,
# in a web process of its own: the old page's process, and all it held, is gone.
web_processes() { pgrep -P "$app_pid" -f WebKitWebProcess || true; }
old_web=$(web_processes)
[[ -n "$old_web" ]] || fail "the wallpaper has no web process"
xdotool mousemove --window "$win" $(settings_card_point 2) click 1
wait_for 10 grep -q '"selectedViewID": "sp500_heatmap"' "$config" || fail "config.json not rewritten: $(cat "$config")"
wait_for 15 grep -q 'GET /view.html?darkened=1' "$WORK/site.log" || fail "the wallpaper did not load the new page"
wait_for 10 bash -c "! kill -0 $old_web 2>/dev/null" || fail "the old page's web process $old_web outlived the switch"
[[ "$(web_processes | wc -l)" == 1 ]] || fail "not one web process after the switch: $(web_processes | tr '\n' ' ')"
# The coming-soon card changes nothing: a click on it, then one on the checkbox, whose
# effect shows that both clicks were handled.
[[ -e "$autostart" ]] && fail "autostart entry present before the checkbox was used"
xdotool mousemove --window "$win" $(settings_card_point 3) click 1
xdotool mousemove --window "$win" $SETTINGS_CHECKBOX_POINT click 1
wait_for 20 test -e "$autostart" || fail "checking the box did not create $autostart"
grep -q '"selectedViewID": "sp500_heatmap"' "$config" || fail "the coming-soon card changed the selection"

# The checkbox creates and removes the autostart entry.
grep -q '^Exec=' "$autostart" || fail "the autostart entry has no Exec line"
xdotool mousemove --window "$win" $SETTINGS_CHECKBOX_POINT click 1
wait_for 20 test ! -e "$autostart" || fail "unchecking the box did not remove $autostart"

# Closing only hides the window; it comes back where it was, with its state. A busy
# machine may take some seconds to pass the close from the manager to the application.
xdotool mousemove 5 5
xdotool windowactivate --sync "$win" key alt+F4
wait_for 20 bash -c '! xdotool search --onlyvisible --name "$1" >/dev/null' _ "^$TAVELO_SETTINGS_WINDOW_TITLE\$" || fail "close did not hide the window"
kill -0 "$app_pid" || fail "closing the settings window ended the application"
"$APP" >>"$WORK/second.log" 2>&1 || fail "launching again failed"
wait_for 10 has_settings_window || fail "the settings window did not come back"
marked_again() {
  import -window "$(settings_window)" "$WORK/again.png" 2>/dev/null &&
    is_blue "$(convert "$WORK/again.png" -format "%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]" -crop 1x1+33+376 info:)"
}
wait_for 10 marked_again || fail "the reopened window lost the marked card"

echo "PASS settings window (screenshot: $artifacts/settings-window.png)"
