#!/usr/bin/env bash
# A local page reads what lies in its own folder and nothing outside it, gets its
# query, and cannot open a window. The application is copied next to a bundle
# whose first page is a probe that paints green only when all of that holds.
source "$(dirname "$0")/lib.sh"

start_display
use_temporary_home

root="$WORK/install with spaces"
bundle="$root/$TAVELO_APP_BUNDLE_NAME"
mkdir -p "$root/bin" "$bundle/Contents/Resources/sub"
cp "$APP" "$root/bin/"
cp "$BUILD_DIR/$TAVELO_APP_BUNDLE_NAME/Contents/Info.json" "$bundle/Contents/"
cp "$(dirname "$0")/pages/confinement-probe.html" "$bundle/Contents/Resources/index.html"
echo '{}' >"$bundle/Contents/Resources/inside.json"
echo '{}' >"$bundle/Contents/Resources/sub/nested.json"
echo secret >"$root/outside.txt"
ln -s "$root/outside.txt" "$bundle/Contents/Resources/leak.txt"
# Not a first launch: the install question would be a window of the application's own.
mkdir -p "$(dirname "$(settings_file)")"
echo '{"firstLaunchDone": true}' >"$(settings_file)"

"$root/bin/$TAVELO_PROGRAM_NAME" 2>"$WORK/app.log" &
track $!
wait_for 20 wallpaper_window || fail "no wallpaper window: $(cat "$WORK/app.log")"

verdict=""
for _ in $(seq 1 60); do
  import -window root "$WORK/shot.png"
  verdict=$(pixel_at "$WORK/shot.png" 960 540)
  [[ "$verdict" == "0 255 0" || "$verdict" == "255 0 0" ]] && break
  sleep 0.25
done
[[ "$verdict" == "0 255 0" ]] || fail "the probe page painted '$verdict' (red: it escaped its folder or lost its query)"
windows=$(xwininfo -root -children | grep -c "\"$TAVELO_PRODUCT_NAME\"" || true)
mapped=$(for id in $(xdotool search --onlyvisible --class . 2>/dev/null); do echo "$id"; done | wc -l)
((mapped <= 1)) || fail "the page opened a window ($mapped visible windows)"
note "the page read its folder, got darkened=1, was refused everything outside, opened no window"
echo "PASS"
