#!/usr/bin/env bash
# The installed product: `cmake --install` into a temporary prefix, then the first
# launch of the installed application on a virtual desktop. It asks to install the
# screen saver half a second after start-up; answering with the default buttons
# registers the installed host with XScreenSaver in ~/.xscreensaver (keeping the
# programs already there) and selects it. The autostart entry runs the
# installed program. Then, with no network at all, each of the four views is drawn by the
# installed product alone (two from its bundle, two from the view site it serves
# itself), and the screen saver shows the heat map while the application is not
# running. Screenshots go to $TAVELO_BUILD_DIR/test-artifacts/.
#
# No network: as root, the test runs in a network namespace of its own that has only
# loopback, so nothing the product does can reach beyond the machine.
if [[ -z "${TAVELO_OFFLINE:-}" && $(id -u) -eq 0 ]] && unshare --net true 2>/dev/null; then
  exec unshare --net env -u DBUS_SESSION_BUS_ADDRESS TAVELO_OFFLINE=1 \
    bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
fi
if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then exec dbus-run-session -- bash "$0" "$@"; fi
source "$(dirname "$0")/wm_lib.sh"
ARTIFACTS="$BUILD_DIR/test-artifacts"
mkdir -p "$ARTIFACTS"
export GDK_BACKEND=x11 GTK_THEME=Adwaita NO_AT_BRIDGE=1

prefix="$WORK/prefix with space"
cmake --install "$BUILD_DIR" --prefix "$prefix" >"$WORK/install.log" || fail "cmake --install failed"
libdir=$(find "$prefix" -type d -name "$TAVELO_PROGRAM_NAME" -path '*/lib*' | head -1)
for item in "bin/$TAVELO_PROGRAM_NAME" "bin/$TAVELO_HOST_PROGRAM_NAME" \
    "share/applications/$TAVELO_PROGRAM_NAME.desktop" "share/icons/hicolor/48x48/apps/$TAVELO_PROGRAM_NAME.png" \
    "share/metainfo/$TAVELO_BUNDLE_IDENTIFIER.metainfo.xml" "share/xscreensaver/config/$TAVELO_HOST_PROGRAM_NAME.xml"; do
  [[ -e "$prefix/$item" ]] || fail "not installed: $item"
done
[[ -f "$libdir/$TAVELO_APP_BUNDLE_NAME/Contents/Resources/index.html" ]] || fail "no application bundle in $libdir"
[[ -f "$libdir/$TAVELO_SAVER_BUNDLE_NAME/Contents/Linux/$TAVELO_HOST_PROGRAM_NAME.so" ]] ||
  fail "no screen-saver bundle beside the application bundle"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/$TAVELO_PROGRAM_NAME.desktop" || fail "invalid desktop file"
fi

start_display 1280x800x24
start_window_manager
use_temporary_home
installed_host="$prefix/bin/$TAVELO_HOST_PROGRAM_NAME"
printf '%s\n' "mode: one" "selected: 1" "programs: \\" "  maze -root \\n\\" "  xflame -root \\n" "" "lock: False" \
  >"$HOME/.xscreensaver"
cp "$HOME/.xscreensaver" "$WORK/xscreensaver.before"

# The installed program, by its own path: nothing of the build tree on the way.
(cd / && exec env -u TAVELO_BUILD_DIR "$prefix/bin/$TAVELO_PROGRAM_NAME") >"$WORK/app.log" 2>&1 &
app=$!
track $app
trap 'cat "$WORK/app.log" >&2' ERR

# Answers the alert on screen with its default button, after a screenshot.
answer_alert() {
  wait_for 15 alert_window || fail "no alert: $1"
  local id
  id=$(alert_window)
  settled_screen_shot "alert-$1"
  cp "$WORK/alert-$1.png" "$ARTIFACTS/$1.png"
  xdotool windowactivate --sync "$id" key Return
  wait_for 10 bash -c "! xwininfo -id $id 2>/dev/null | grep -q IsViewable" || fail "the alert $1 stayed up"
}

wait_for 30 grep -q "App did finish launching" "$WORK/app.log" || fail "the installed application did not start"
wait_for 20 wallpaper_window || fail "no wallpaper window"

answer_alert install-question
answer_alert installer-confirmation
answer_alert screen-saver-installed

note "~/.xscreensaver"
# Ours is the one in use now: maze, xflame, then ours, counted from 0.
diff <(sed '2s/.*/selected: 2/' "$WORK/xscreensaver.before" | head -4) <(head -4 "$HOME/.xscreensaver") >/dev/null ||
  fail "not selected, or the lines before the list's end changed: $(cat "$HOME/.xscreensaver")"
grep -qxF '  xflame -root \n\' "$HOME/.xscreensaver" || fail "the list's old end was not continued"
quoted_host="'$installed_host'"
grep -qF "\"$TAVELO_PRODUCT_NAME\"  $quoted_host --root" "$HOME/.xscreensaver" ||
  fail "the installed host is not registered: $(cat "$HOME/.xscreensaver")"
grep -q -- "--saver" "$HOME/.xscreensaver" && fail "the host was told of another bundle than its own"
tail -2 "$HOME/.xscreensaver" | diff - <(printf '%s\n' "" "lock: False") >/dev/null || fail "the lines after the list changed"

autostart="$HOME/.config/autostart/$TAVELO_PROGRAM_NAME.desktop"
[[ -f "$autostart" ]] || fail "the first launch made no autostart entry"
grep -qF "$prefix/bin/$TAVELO_PROGRAM_NAME" "$autostart" || fail "autostart runs another program: $(grep Exec "$autostart")"

"$installed_host" --help >/dev/null || fail "the installed screen-saver host does not run"
kill -TERM $app
wait $app || fail "the installed application ended with status $?"

[[ -x "$prefix/bin/$TAVELO_SITE_PROGRAM_NAME" && -f "$libdir/site/view.html" && -f "$libdir/site/data/sp500.json" ]] ||
  fail "the view site is not installed beside the bundles"
[[ -n "${TAVELO_OFFLINE:-}" ]] && note "no network: only loopback in this namespace"

# Share of pixels that differ clearly between two pictures.
difference() {
  { compare -metric AE -fuzz 12% "$1" "$2" null: 2>&1 || true; } | awk -v n=$((1280 * 800)) '{ printf "%.3f", $1 / n }'
}

views=(crypto_bubbles crypto_chart sp500_heatmap stocks_chart)
for view in "${views[@]}"; do
  printf '{"firstLaunchDone": true, "selectedViewID": "%s"}\n' "$view" >"$(settings_file)"
  (cd / && exec env -u TAVELO_BUILD_DIR "$prefix/bin/$TAVELO_PROGRAM_NAME") >"$WORK/$view.log" 2>&1 &
  app=$!
  track $app
  wait_for 30 wallpaper_window || fail "$view: no wallpaper window: $(cat "$WORK/$view.log")"
  wait_for 40 screen_shows_content || fail "$view: the wallpaper stays empty: $(cat "$WORK/$view.log")"
  if no_gpu_device; then
    web=$(pgrep -P "$app" -f WebKitWebProcess | head -1)
    grep -qF "$libdir/$TAVELO_APP_BUNDLE_NAME/Contents/Linux/libEGL_display_only.so" "/proc/$web/maps" ||
      fail "$view: the web process did not load the installed bundle's EGL driver"
  fi
  # The page draws its data in after its first frame: its picture once it holds still.
  settled_screen_shot "view-$view"
  cp "$WORK/view-$view.png" "$ARTIFACTS/view-$view.png"
  status=$(curl -s -o /dev/null -w '%{http_code}' "$SITE_ORIGIN/")
  [[ "$status" == 200 ]] || fail "$view: the site root answered $status while the application runs"
  kill -TERM $app
  wait $app || fail "$view: the application ended with status $?"
  note "$view drawn (variation $(picture_variation "$ARTIFACTS/view-$view.png"), tiles $(tile_share "$ARTIFACTS/view-$view.png"))"
done
grep -Eq "(✅ View site started|▶️ View site starting) at $SITE_ORIGIN\$" "$WORK"/*.log || fail "the installed application never started its site"
# Each view draws its own picture: no two are alike, and only the heat map is tiles.
for ((i = 0; i < ${#views[@]}; i++)); do
  for ((j = i + 1; j < ${#views[@]}; j++)); do
    d=$(difference "$ARTIFACTS/view-${views[i]}.png" "$ARTIFACTS/view-${views[j]}.png")
    at_least "$d" 0.05 || fail "${views[i]} and ${views[j]} look the same (${d} of the pixels differ)"
  done
done
at_least "$(tile_share "$ARTIFACTS/view-sp500_heatmap.png")" 0.4 || fail "the heat map shows no tiles"
for view in crypto_chart stocks_chart; do
  at_least 0.2 "$(tile_share "$ARTIFACTS/view-$view.png")" || fail "$view looks like a heat map"
done

note "the screen saver without the application"
stop_test_site
wait_for 10 bash -c "! curl -s -o /dev/null '$SITE_ORIGIN/'" || fail "the site did not stop"
# The screen saver reads the settings under the account's home in the user database,
# so it runs as an account of the test's own whose home is in the test's folder.
if [[ $(id -u) -eq 0 ]]; then
  use_unprivileged_account "${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-installed"
  usermod -d "$home" "$account"
  saver_settings="$home/$TAVELO_SETTINGS_RELATIVE_PATH"
  mkdir -p "$(dirname "$saver_settings")"
  printf '{"firstLaunchDone": true, "selectedViewID": "sp500_heatmap"}\n' >"$saver_settings"
  chown -R "$account" "$home"
  as_account DISPLAY="$DISPLAY" "$installed_host" >"$WORK/saver.log" 2>&1 &
else
  saver_settings="$(getent passwd "$(id -un)" | cut -d: -f6)/$TAVELO_SETTINGS_RELATIVE_PATH"
  [[ -e "$saver_settings" ]] && { echo "SKIP: would overwrite $saver_settings"; exit 77; }
  mkdir -p "$(dirname "$saver_settings")"
  printf '{"firstLaunchDone": true, "selectedViewID": "sp500_heatmap"}\n' >"$saver_settings"
  trap 'rm -f "$saver_settings"; cleanup' EXIT
  (cd / && exec "$installed_host") >"$WORK/saver.log" 2>&1 &
fi
saver=$!
track $saver
wait_for 30 grep -q "✅ Finished loading." "$WORK/saver.log" || fail "the screen saver did not load: $(cat "$WORK/saver.log")"
wait_for 30 screen_shows_content || fail "the screen saver stays empty"
settled_screen_shot screensaver-sp500_heatmap
cp "$WORK/screensaver-sp500_heatmap.png" "$ARTIFACTS/screensaver-sp500_heatmap.png"
at_least "$(tile_share "$ARTIFACTS/screensaver-sp500_heatmap.png")" 0.4 || fail "the screen saver shows no heat map"
[[ $(curl -s -o /dev/null -w '%{http_code}' "$SITE_ORIGIN/view.html") == 200 ]] || fail "the screen saver did not start the site"
# In the account's case $saver is the shell around setpriv; the host is its child.
host_pid=$saver
if [[ -n "${account:-}" ]]; then host_pid=$(pgrep -u "$account" -f "bin/$TAVELO_HOST_PROGRAM_NAME" | head -1); fi
kill -TERM "$host_pid"
wait $saver || fail "the screen-saver host ended with status $?"
echo "PASS installed product (screenshots in $ARTIFACTS)"
