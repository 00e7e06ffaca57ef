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

wait_for 10 grep -q "set_input_region" "$WORK/app.log" || fail "no input region set"
requests=$(grep -- "-> " "$WORK/app.log")
layer=$(grep -oE 'get_layer_surface\(new id zwlr_layer_surface_v1@[0-9]+, wl_surface@[0-9]+, [^,]+, [0-9]+' <<<"$requests" | head -1)
[[ -n "$layer" ]] || fail "no layer surface requested"
[[ "${layer##*, }" == 0 ]] || fail "layer ${layer##*, } is not the background layer (0): $layer"
surface=$(grep -oE 'zwlr_layer_surface_v1@[0-9]+' <<<"$layer")
grep -q "$surface.set_anchor(15)" <<<"$requests" || fail "not anchored to all four edges"
grep -q "$surface.set_exclusive_zone(-1)" <<<"$requests" || fail "exclusive zone is not -1"
grep -q "$surface.set_keyboard_interactivity(0)" <<<"$requests" || fail "takes the keyboard"
region=$(grep -oE 'wl_surface@[0-9]+\.set_input_region\(wl_region@[0-9]+\)' <<<"$requests" | tail -1 | grep -oE 'wl_region@[0-9]+' || true)
[[ -n "$region" ]] || fail "no input region set"
! grep -q "$region.add(" <<<"$requests" || fail "the input region is not empty"
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
