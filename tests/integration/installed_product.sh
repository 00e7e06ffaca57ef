#!/usr/bin/env bash
# The installed product: `cmake --install` into a temporary prefix, then the first
# launch of the installed application on a virtual desktop. It asks to install the
# screen saver half a second after start-up; answering with the default buttons
# registers the installed host with XScreenSaver in ~/.xscreensaver (keeping the
# programs already there) and says where to pick it. The autostart entry runs the
# installed program. Screenshots of the alerts go to $TAVELO_BUILD_DIR/test-artifacts/.
if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then exec dbus-run-session -- bash "$0" "$@"; fi
source "$(dirname "$0")/lib.sh"
ARTIFACTS="$BUILD_DIR/test-artifacts"
mkdir -p "$ARTIFACTS"
export GDK_BACKEND=x11 GTK_THEME=Adwaita NO_AT_BRIDGE=1

prefix="$WORK/prefix with space"
cmake --install "$BUILD_DIR" --prefix "$prefix" >"$WORK/install.log" || fail "cmake --install failed"
libdir=$(find "$prefix" -type d -name tavelo-live-wallpaper -path '*/lib*' | head -1)
for item in "bin/tavelo-live-wallpaper" "bin/tavelo-live-wallpaper-screensaver" \
    "share/applications/tavelo-live-wallpaper.desktop" "share/icons/hicolor/48x48/apps/tavelo-live-wallpaper.png" \
    "share/metainfo/com.tavelo.livewallpaper.metainfo.xml" "share/xscreensaver/config/tavelo-live-wallpaper-screensaver.xml"; do
  [[ -e "$prefix/$item" ]] || fail "not installed: $item"
done
[[ -f "$libdir/Tavelo Live Wallpaper.app/Contents/Resources/index.html" ]] || fail "no application bundle in $libdir"
[[ -f "$libdir/Tavelo Live Wallpaper Screensaver.saver/Contents/Linux/tavelo-live-wallpaper-screensaver.so" ]] ||
  fail "no screen-saver bundle beside the application bundle"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/tavelo-live-wallpaper.desktop" || fail "invalid desktop file"
fi

start_display 1280x800x24
start_window_manager
use_temporary_home
installed_host="$prefix/bin/tavelo-live-wallpaper-screensaver"
printf '%s\n' "mode: one" "selected: 1" "programs: \\" "  maze -root \\n\\" "  xflame -root \\n" "" "lock: False" \
  >"$HOME/.xscreensaver"
cp "$HOME/.xscreensaver" "$WORK/xscreensaver.before"

# The installed program, by its own path: nothing of the build tree on the way.
(cd / && exec env -u TAVELO_BUILD_DIR "$prefix/bin/tavelo-live-wallpaper") >"$WORK/app.log" 2>&1 &
app=$!
track $app
trap 'cat "$WORK/app.log" >&2' ERR

# Answers the alert on screen with its default button, after a screenshot.
answer_alert() {
  wait_for 15 alert_window || fail "no alert: $1"
  local id
  id=$(alert_window)
  sleep 0.5
  import -window root "$ARTIFACTS/$1.png"
  xdotool windowactivate --sync "$id" key Return
  wait_for 10 bash -c "! xwininfo -id $id 2>/dev/null | grep -q IsViewable" || fail "the alert $1 stayed up"
}

wait_for 30 grep -q "App did finish launching" "$WORK/app.log" || fail "the installed application did not start"
wait_for 20 wallpaper_window || fail "no wallpaper window"

answer_alert install-question
answer_alert installer-confirmation
answer_alert screen-saver-installed

note "~/.xscreensaver"
diff <(head -4 "$WORK/xscreensaver.before") <(head -4 "$HOME/.xscreensaver") >/dev/null ||
  fail "the lines before the list's end changed: $(cat "$HOME/.xscreensaver")"
grep -qxF '  xflame -root \n\' "$HOME/.xscreensaver" || fail "the list's old end was not continued"
quoted_host="'$installed_host'"
grep -qF "\"Tavelo Live Wallpaper\"  $quoted_host --root" "$HOME/.xscreensaver" ||
  fail "the installed host is not registered: $(cat "$HOME/.xscreensaver")"
grep -q -- "--saver" "$HOME/.xscreensaver" && fail "the host was told of another bundle than its own"
tail -2 "$HOME/.xscreensaver" | diff - <(printf '%s\n' "" "lock: False") >/dev/null || fail "the lines after the list changed"

autostart="$HOME/.config/autostart/tavelo-live-wallpaper.desktop"
[[ -f "$autostart" ]] || fail "the first launch made no autostart entry"
grep -qF "$prefix/bin/tavelo-live-wallpaper" "$autostart" || fail "autostart runs another program: $(grep Exec "$autostart")"

"$installed_host" --help >/dev/null || fail "the installed screen-saver host does not run"
kill -TERM $app
wait $app || fail "the installed application ended with status $?"
echo "PASS installed product (screenshots in $ARTIFACTS)"
