#!/usr/bin/env bash
# KDE's KWin on Wayland (its virtual backend, as in its own tests) offers layer-shell:
# the wallpaper is a background layer surface anchored to all four edges, with no
# exclusive zone, no keyboard and an empty input region, so every click and scroll
# goes to what lies beneath. It draws the page, under a normal window and a panel
# (X11 clients through KWin's XWayland), and stays on every virtual desktop. KWin
# refuses to run as root, so everything runs as an unprivileged account.
source "$(dirname "$0")/wm_lib.sh"
needs_program kwin_wayland Xwayland dbus-run-session convert
/usr/bin/python3 -c 'from gi.repository import Gio' 2>/dev/null || { echo "SKIP: python3-gi is not installed"; exit 77; }
use_unprivileged_account "${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-kwin-test"

# The package gives kwin_wayland the capability to raise its resource limits. Where
# that capability is outside the bounding set (a container), the kernel refuses to
# run the program at all; a copy without the capability runs, with the limits it is given.
kwin=$(command -v kwin_wayland)
if ! as_account "$kwin" --version >/dev/null 2>&1; then
  cp "$kwin" "$WORK/stage/bin/kwin_wayland"
  kwin="$WORK/stage/bin/kwin_wayland"
  note "kwin_wayland cannot run here with its file capability: running a copy without it"
fi
cp "$(dirname "$0")/helpers/kwin_screenshot.py" "$WORK/stage/bin/"
chmod -R a+rX "$WORK/stage"
mkdir -p "$home/.config"
printf '[Desktops]\nNumber=2\nRows=1\n' >"$home/.config/kwinrc"
# A later launch: no first-launch prompt in front of what is checked.
mkdir -p "$(dirname "$(settings_file "$home")")"
echo '{"selectedViewID": "crypto_bubbles", "firstLaunchDone": true}' >"$(settings_file "$home")"
chown -R "$account" "$home"

as_account KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 dbus-run-session -- sh -c \
  'echo "$DBUS_SESSION_BUS_ADDRESS" >"$XDG_RUNTIME_DIR/bus-address"; exec "$0" "$@"' \
  "$kwin" --virtual --width 1920 --height 1080 --xwayland --socket wayland-tavelo >"$WORK/kwin.log" 2>&1 &
track $!
wait_for 30 test -S "$runtime/wayland-tavelo" || fail "KWin did not start: $(tail -5 "$WORK/kwin.log")"
wait_for 10 test -s "$runtime/bus-address" || fail "KWin's session bus did not start"
bus=$(cat "$runtime/bus-address")
k() { as_account DBUS_SESSION_BUS_ADDRESS="$bus" WAYLAND_DISPLAY=wayland-tavelo "$@"; }
shot() {  # shot NAME: the screen now, in $WORK/NAME.png and beside the build
  k /usr/bin/python3 "$WORK/stage/bin/kwin_screenshot.py" "$runtime/shot.png" 2>"$WORK/shot.err" || return 1
  cp "$runtime/shot.png" "$WORK/$1.png" && cp "$WORK/$1.png" "$BUILD_DIR/$1.png"
}
wait_for 20 shot kwin-wayland-empty || fail "no screenshot from KWin: $(cat "$WORK/shot.err")"

k WAYLAND_DEBUG=client "$APP" >"$WORK/app.log" 2>&1 &
app=$!
track $app
wait_for 30 log_has_line_ending "$WORK/app.log" "App did finish launching" || fail "no launch: $(tail -5 "$WORK/app.log")"
wait_for 10 grep -q "zwlr_layer_surface_v1@[0-9]*.configure" "$WORK/app.log" ||
  fail "no layer surface configured: KWin offered no layer-shell? $(grep -c zwlr "$WORK/app.log")"
check_background_layer_surface "$WORK/app.log"
grep -q "zwlr_layer_surface_v1@[0-9]*.configure(.*, 1920, 1080)" "$WORK/app.log" ||
  fail "KWin did not give the wallpaper the whole 1920x1080 output: $(grep -m3 "zwlr_layer_surface_v1@[0-9]*.configure" "$WORK/app.log")"
note "KWin: a background layer surface over the whole output, no exclusive zone, no keyboard, empty input region"

drawn() { shot kwin-wayland-wallpaper && picture_shows_content "$WORK/kwin-wayland-wallpaper.png"; }
wait_for 60 drawn || fail "the page never drew on KWin's output"
note "KWin: the page is drawn (screenshot kwin-wayland-wallpaper.png)"

# A normal window and a panel, from X11 programs as many are: KWin stacks them over
# the background layer.
xdisplay=$(pgrep -u "$account" -a -x Xwayland | grep -oE ' :[0-9]+' | head -1 | tr -d ' ')
[[ -n "$xdisplay" ]] || fail "KWin started no XWayland"
x() { as_account DISPLAY="$xdisplay" "$@"; }
for name in normal dock; do
  mkfifo "$WORK/$name.in"
  chmod 666 "$WORK/$name.in"
done
x "$CLIENT_WINDOW" normal normal 0xff0000 400 300 600 400 <"$WORK/normal.in" >"$WORK/normal.id" 2>&1 &
track $!
exec {normal_input}>"$WORK/normal.in"
x "$CLIENT_WINDOW" dock dock 0x00ff00 1920 30 0 0 <"$WORK/dock.in" >"$WORK/dock.id" 2>&1 &
track $!
exec {dock_input}>"$WORK/dock.in"
wait_for 10 test -s "$WORK/normal.id" -a -s "$WORK/dock.id" || fail "the X11 windows did not start"
normal_drawn() {
  local geometry x y
  geometry=$(x xwininfo -id "$(cat "$WORK/normal.id")")
  x=$(grep 'Absolute upper-left X' <<<"$geometry" | grep -oE -- '-?[0-9]+$')
  y=$(grep 'Absolute upper-left Y' <<<"$geometry" | grep -oE -- '-?[0-9]+$')
  shot kwin-wayland-windows &&
    [[ "$(pixel_at "$WORK/kwin-wayland-windows.png" $((x + 200)) $((y + 150)))" == "255 0 0" ]] &&
    [[ "$(pixel_at "$WORK/kwin-wayland-windows.png" 960 15)" == "0 255 0" ]]
}
wait_for 20 normal_drawn || fail "a normal window or a panel does not show over the wallpaper (see kwin-wayland-windows.png)"
note "KWin: a normal window and a panel show over the wallpaper (screenshot kwin-wayland-windows.png)"

# The second virtual desktop, as a pager switches: the page, not the normal window.
k dbus-send --session --print-reply --dest=org.kde.KWin /KWin org.kde.KWin.setCurrentDesktop int32:2 >/dev/null ||
  fail "KWin did not switch desktops"
second_desktop() {
  shot kwin-wayland-desktop-2 && ! normal_shows_in kwin-wayland-desktop-2 &&
    picture_shows_content "$WORK/kwin-wayland-desktop-2.png"
}
normal_shows_in() {
  local geometry x y
  geometry=$(x xwininfo -id "$(cat "$WORK/normal.id")")
  x=$(grep 'Absolute upper-left X' <<<"$geometry" | grep -oE -- '-?[0-9]+$')
  y=$(grep 'Absolute upper-left Y' <<<"$geometry" | grep -oE -- '-?[0-9]+$')
  [[ "$(pixel_at "$WORK/$1.png" $((x + 200)) $((y + 150)))" == "255 0 0" ]]
}
wait_for 20 second_desktop || fail "the second desktop does not show the page alone (see kwin-wayland-desktop-2.png)"
kill -0 "$app" || fail "the application ended"
note "KWin: the wallpaper shows on the second virtual desktop too"
echo "PASS"
