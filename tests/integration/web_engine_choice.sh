#!/usr/bin/env bash
# The web engine's graphics choice: made once per process from what the machine's GL
# offers, logged once (however many views are loaded, in the application and in the
# screen-saver host alike), and the pages still draw with it. What the engine is set
# up with (no GL driver, scripts without the JIT) does not reach a browser the settings
# window's link opens, nor XScreenSaver's settings opened from the tray menu.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

start_display
start_site
use_temporary_home
mkdir -p "$(dirname "$(settings_file)")"
echo '{"firstLaunchDone": true, "selectedViewID": "crypto_bubbles"}' >"$(settings_file)"

# A program that writes down its first argument and the environment it got, in
# $WORK/NAME.address and $WORK/NAME.env.
recording_program() {
  printf '#!/bin/sh\nenv >"%s.part"\necho "$1" >"%s"\nmv "%s.part" "%s"\n' \
    "$WORK/$1.env" "$WORK/$1.address" "$WORK/$1.env" "$WORK/$1.env" >"$2"
  chmod +x "$2"
}
engine_settings_in() { grep -E "^(JSC_useJIT|GDK_GL|__EGL_VENDOR_LIBRARY_FILENAMES)=" "$WORK/$1.env"; }

# The account's web browser, and XScreenSaver's settings tool.
mkdir -p "$HOME/.local/share/applications" "$HOME/.config" "$WORK/tools"
recording_program browser "$WORK/browser"
recording_program screensaver-settings "$WORK/tools/xscreensaver-settings"
export PATH="$WORK/tools:$PATH"
printf '[Desktop Entry]\nType=Application\nName=Test Browser\nExec=%s %%u\nMimeType=x-scheme-handler/http;\n' \
  "$WORK/browser" >"$HOME/.local/share/applications/test-browser.desktop"
printf '[Default Applications]\nx-scheme-handler/http=test-browser.desktop\n' >"$HOME/.config/mimeapps.list"

graphics_lines() { grep -c -- " Graphics: " "$1" || true; }
no_gpu_line="⚠️ Graphics: no GPU device, so GL could only be a software rasteriser; web pages are drawn without GL compositing"

"$APP" >"$WORK/app.log" 2>&1 &
app=$!
track $app
wait_for 30 grep -q "App did finish launching" "$WORK/app.log" || fail "the application did not start"
wait_for 40 screen_shows_content || fail "the bubbles page did not draw"
(( $(graphics_lines "$WORK/app.log") == 1 )) || fail "graphics lines: $(grep -- ' Graphics: ' "$WORK/app.log")"
if no_gpu_device; then
  log_has_line_ending "$WORK/app.log" "$no_gpu_line" || fail "expected the no-GPU choice: $(grep -- ' Graphics: ' "$WORK/app.log")"
  # Drawn without GL, no process of the application has a GL driver loaded (it would
  # only cost memory): the web process, which needs an EGL display, has the bundle's
  # driver that offers one and no GL.
  gl_driver="/dri/[^/]*_dri\.so|libEGL_mesa|libGLX_mesa|libLLVM"
  web=$(pgrep -P "$app" -f WebKitWebProcess | head -1)
  [[ -n "$web" ]] || fail "no web process"
  for pid in "$app" "$web"; do
    if grep -E -q "$gl_driver" "/proc/$pid/maps"; then
      fail "$(tr '\0' ' ' <"/proc/$pid/cmdline" | cut -c1-60) loaded a GL driver: $(grep -E -o "/[^ ]*($gl_driver)[^ ]*" "/proc/$pid/maps" | sort -u | tr '\n' ' ')"
    fi
  done
  grep -q "/libEGL_display_only\.so" "/proc/$web/maps" || fail "the web process did not load the bundle's EGL driver"
fi

# Two more views through the settings window: each loads a page, nothing is chosen again.
"$APP" >>"$WORK/second.log" 2>&1 || fail "launching again failed"
wait_for 15 xdotool search --onlyvisible --name "^$TAVELO_SETTINGS_WINDOW_TITLE\$" || fail "the settings window did not open"
settings=$(xdotool search --onlyvisible --name "^$TAVELO_SETTINGS_WINDOW_TITLE\$" | head -1)
for card in "2 sp500_heatmap" "1 crypto_chart"; do
  read -r index view <<<"$card"
  xdotool mousemove --window "$settings" $(settings_card_point "$index") click 1
  wait_for 10 grep -q "\"selectedViewID\": \"$view\"" "$(settings_file)" || fail "the $view card did not switch"
done
xdotool mousemove 5 5
# The chart, the last view chosen, is drawn once its candles are on screen.
chart_drawn() { import -window root "$WORK/chart.png" && picture_shows_content "$WORK/chart.png"; }
wait_for 20 chart_drawn || fail "the chart did not draw after the switch"

# The footer's link to the view site, in the browser.
xdotool mousemove --window "$settings" $SETTINGS_LINK_POINT click 1
wait_for 15 test -s "$WORK/browser.env" || fail "the link did not open the browser"
grep -q "^http" "$WORK/browser.address" || fail "the browser was given: $(cat "$WORK/browser.address")"
if engine_settings_in browser; then
  fail "the browser inherited the engine's settings"
fi
source "$(dirname "$0")/tray_lib.sh"
click_entry "$(bus_name_of $app)" "Open Screen Saver Preferences" || fail "no entry Open Screen Saver Preferences"
wait_for 15 test -s "$WORK/screensaver-settings.env" || fail "the entry did not start XScreenSaver's settings"
if engine_settings_in screensaver-settings; then
  fail "XScreenSaver's settings inherited the engine's settings"
fi
(( $(graphics_lines "$WORK/app.log") == 1 )) || fail "chosen again on a view switch: $(grep -- ' Graphics: ' "$WORK/app.log")"

# The screen-saver host makes its web views through the same code.
"$BUILD_DIR/bin/$TAVELO_HOST_PROGRAM_NAME" >"$WORK/saver.log" 2>&1 &
saver=$!
track $saver
wait_for 40 grep -q "✅ Finished loading." "$WORK/saver.log" || fail "the screen saver did not load: $(tail -3 "$WORK/saver.log")"
(( $(graphics_lines "$WORK/saver.log") == 1 )) || fail "screen-saver graphics lines: $(grep -- ' Graphics: ' "$WORK/saver.log")"
if no_gpu_device; then
  log_has_line_ending "$WORK/saver.log" "$no_gpu_line" || fail "the screen saver chose otherwise"
fi
kill -TERM "$saver"
note "graphics choice logged once per process, pages drawn"
