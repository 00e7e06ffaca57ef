#!/usr/bin/env bash
# On a Wayland compositor with layer-shell (headless sway) the wallpaper is a
# background layer surface anchored to all four edges, with no exclusive zone, no
# keyboard and an empty input region, and the page is drawn. sway refuses to run
# as root, so compositor and application run as an unprivileged account.
source "$(dirname "$0")/lib.sh"

command -v sway >/dev/null && command -v grim >/dev/null || { echo "sway or grim missing"; exit 77; }
use_unprivileged_account "${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-wayland-test"
printf 'output HEADLESS-1 resolution 1280x720\n' >"$WORK/sway.conf"
chmod 644 "$WORK/sway.conf"

as_account WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  sway -c "$WORK/sway.conf" >"$WORK/sway.log" 2>&1 &
track $!
wait_for 15 bash -c "ls '$runtime' | grep -q '^wayland-[0-9]*$'" || fail "sway did not start: $(tail -5 "$WORK/sway.log")"
socket=$(ls "$runtime" | grep -E '^wayland-[0-9]+$' | head -1)

as_account WAYLAND_DISPLAY="$socket" WAYLAND_DEBUG=client "$APP" >"$WORK/app.log" 2>&1 &
app=$!
track $app
wait_for 20 log_has_line_ending "$WORK/app.log" "App did finish launching" || fail "no launch: $(tail -5 "$WORK/app.log")"
wait_for 10 grep -q "zwlr_layer_surface_v1@[0-9]*.configure" "$WORK/app.log" || fail "no layer surface configured"

check_background_layer_surface "$WORK/app.log"
note "background layer, anchored to all edges, exclusive zone -1, no keyboard, empty input region"

shot="$WORK/wayland.png"
for _ in $(seq 1 60); do
  as_account WAYLAND_DISPLAY="$socket" grim "$runtime/grim.png" 2>/dev/null && cp "$runtime/grim.png" "$shot" &&
    picture_shows_content "$shot" && break
  sleep 0.25
done
picture_shows_content "$shot" || fail "the page never drew on the Wayland output"
cp "$shot" "$BUILD_DIR/wallpaper-on-wayland.png"
kill -0 "$app" || fail "the application ended"
note "the page is drawn on the Wayland output (screenshot: $BUILD_DIR/wallpaper-on-wayland.png)"
echo "PASS"
