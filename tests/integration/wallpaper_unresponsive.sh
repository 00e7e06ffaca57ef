#!/usr/bin/env bash
# A web process that stops answering is ended and its page loaded again: one stopped
# with SIGSTOP, and one whose loaded page spins in an endless script (which recovers
# once the site serves a sound page again). Each ending is said in one line, and the wallpaper
# draws the heat map afterwards in a new web process.
source "$(dirname "$0")/lib.sh"
use_heat_map_home
root="$WORK/root"
cp -r "$BUILD_DIR/site" "$root"
"$BUILD_DIR/bin/$TAVELO_SITE_PROGRAM_NAME" --listen "127.0.0.1:$TEST_SITE_PORT" --root "$root" --data "$WORK/site-data" \
  --config "$SITE_CONFIG" >"$WORK/site.log" 2>&1 &
track $!
wait_for 10 curl -fsS -o /dev/null "$SITE_ORIGIN/" || fail "the site did not start: $(cat "$WORK/site.log")"

ended_line="⚠️ The web process did not answer for 30 s and was ended; reloading the page in"
heat_map_on_wallpaper() {
  local id
  id=$(wallpaper_window) && import -window "$id" "$WORK/shot.png" 2>/dev/null && at_least "$(tile_share "$WORK/shot.png")" 0.3
}
# The page's web process: the one web process the application runs once the page is drawn.
web_process() { pgrep -P "$app" -f WebKitWebProcess; }
one_web_process() { [[ $(web_process | wc -l) == 1 ]]; }

"$APP" 2>"$WORK/app.log" &
app=$!
track $app
wait_for 40 heat_map_on_wallpaper || fail "the heat map was never drawn: $(cat "$WORK/app.log")"

note "a stopped web process"
wait_for 20 one_web_process || fail "not one web process: $(web_process | tr '\n' ' ')"
stopped=$(web_process)
[[ -n "$stopped" ]] || fail "no web process"
kill -STOP "$stopped"
stopped_at=$SECONDS
wait_for 60 grep -q "$ended_line" "$WORK/app.log" || fail "the stopped web process was never ended: $(cat "$WORK/app.log")"
((SECONDS - stopped_at >= 29)) || fail "the web process was ended after $((SECONDS - stopped_at)) s, before 30 s"
# Ended means killed: the process goes, or waits as a zombie until the application
# reaps it, which on a busy machine may come a little after the line.
ended() { [[ "$(ps -o stat= -p "$stopped" 2>/dev/null)" != [^Z]* ]]; }
wait_for 10 ended || { kill -CONT "$stopped" 2>/dev/null; fail "the stopped web process was left running"; }
wait_for 40 heat_map_on_wallpaper || fail "the page was not drawn again after the stopped process"
[[ "$(web_process)" != "$stopped" ]] || fail "the page is still in the stopped process"
[[ $(grep -c "$ended_line" "$WORK/app.log") == 1 ]] || fail "more than one line for one stopped process"

note "a page that spins"
cp "$root/view.html" "$WORK/view.html"
# It spins once loaded, as a page's script that never returns would (a script of the
# site's own: the pages' policy runs no inline script).
printf 'addEventListener("load", () => setTimeout(() => { for (;;) {} }, 300));\n' >"$root/js/spin.js"
printf '<!doctype html><title>spin</title><script src="js/spin.js"></script>\n' >"$root/view.html"
# The end of the web process reloads the page, which now spins.
wait_for 20 one_web_process || fail "not one web process: $(web_process | tr '\n' ' ')"
kill -KILL "$(web_process)"
wait_for 60 bash -c "(( \$(grep -c '$ended_line' '$WORK/app.log') == 2 ))" ||
  fail "the spinning page's process was never ended: $(cat "$WORK/app.log")"
# The site serves a sound page again: the next reload shows it, by itself.
cp "$WORK/view.html" "$root/view.html"
wait_for 90 heat_map_on_wallpaper || fail "the wallpaper did not recover from the spinning page: $(cat "$WORK/app.log")"
echo "PASS wallpaper unresponsive"
