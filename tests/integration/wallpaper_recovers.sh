#!/usr/bin/env bash
# The wallpaper looks after itself: a view site that comes up only after the
# login (first refusing connections, then answering with server errors) is shown
# once it answers properly, with a dark screen until then and never an error
# page; and a web process that dies is replaced and the page drawn again.
source "$(dirname "$0")/lib.sh"

# The application starts its built-in site (127.0.0.1) at once by itself; a site that
# is late is one it does not serve, as a public one after a login before the network.
# 127.0.0.2 is loopback too, but not the built-in site's address.
SITE_ORIGIN="http://127.0.0.2:$TEST_SITE_PORT"
export TAVELO_TEST_VIEW_SITE_ORIGIN=$SITE_ORIGIN
if curl -fsS -o /dev/null "$SITE_ORIGIN/" 2>/dev/null; then
  echo "something already serves $SITE_ORIGIN: cannot start it late"
  exit 77
fi

start_display
use_temporary_home
mkdir -p "$(dirname "$(settings_file)")"
echo '{"selectedViewID": "sp500_heatmap", "firstLaunchDone": true}' >"$(settings_file)"

mean_brightness() { convert "$1" -colorspace Gray -format '%[fx:mean]' info:; }

"$APP" 2>"$WORK/app.log" &
app=$!
track $app
launched=$SECONDS
wait_for 20 log_has_line_ending "$WORK/app.log" "App did finish launching" || fail "no launch line: $(cat "$WORK/app.log")"
wait_for 10 grep -q "⚠️ The page did not load" "$WORK/app.log" || fail "the failed load was not noticed: $(cat "$WORK/app.log")"
note "the unreachable site is noticed: $(grep -m1 'did not load' "$WORK/app.log" | sed 's/.*\] //')"

# Then a server that answers every request with a bright error page.
port=${SITE_ORIGIN##*:}
while ((SECONDS - launched < 4)); do sleep 0.2; done
python3 - "$port" <<'PY' >"$WORK/errors.log" 2>&1 &
import http.server, sys
class Failing(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = b"<body style='background:#fff;font-size:200px'>500 ERROR</body>"
        self.send_response(500)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
http.server.HTTPServer(("127.0.0.2", int(sys.argv[1])), Failing).serve_forever()
PY
failing=$!
track $failing
wait_for 10 grep -q "⚠️ The page did not load (The server answered with status 500.)" "$WORK/app.log" ||
  fail "the server error was not taken as a failed load: $(tail -3 "$WORK/app.log")"
note "a server error is a failed load too: $(grep -m1 'status 500' "$WORK/app.log" | sed 's/.*\] //')"

# Until the site answers the desktop is dark and calm: no error page of any kind, even
# once the error has come back again.
answered_500_twice() { (($(grep -c "status 500" "$WORK/app.log") >= 2)); }
wait_for 10 answered_500_twice || fail "the page was not tried again after the server error"
import -window root "$WORK/before.png"
cp "$WORK/before.png" "$BUILD_DIR/wallpaper-before-site.png"
awk -v m="$(mean_brightness "$WORK/before.png")" 'BEGIN { exit !(m < 0.02) }' ||
  fail "the screen is not dark while the site is down (mean $(mean_brightness "$WORK/before.png")): $BUILD_DIR/wallpaper-before-site.png"
note "dark while the site is down (mean brightness $(mean_brightness "$WORK/before.png"))"

while ((SECONDS - launched < 10)); do sleep 0.2; done
kill $failing
wait $failing 2>/dev/null || true
"$BUILD_DIR/bin/$TAVELO_SITE_PROGRAM_NAME" --listen "127.0.0.2:$TEST_SITE_PORT" --data "$WORK/site-data" \
  --config "$SITE_CONFIG" >"$WORK/site.log" 2>&1 &
track $!
wait_for 10 curl -fsS -o /dev/null "$SITE_ORIGIN/" || fail "the site did not start: $(cat "$WORK/site.log")"
site_up=$SECONDS
note "the site came up $((site_up - launched)) s after the launch"
wait_for 40 screen_shows_content || fail "the page never appeared after the site came up: $(cat "$WORK/app.log")"
note "the page appeared $((SECONDS - site_up)) s after the site came up, with no action"
retries=$(grep -c "⚠️ The page did not load" "$WORK/app.log")
((retries <= 6)) || fail "$retries failed attempts in about 10 s: no backoff"
note "$retries failed attempts before the site came up"

# A web process killed outright (an out-of-memory kill, say) is replaced.
web=$(pgrep -P $app -f WebKitWebProcess | head -1)
[[ -n "$web" ]] || fail "no web process under the application"
kill -9 "$web"
killed=$SECONDS
wait_for 5 grep -q "⚠️ The web process crashed; reloading the page in" "$WORK/app.log" ||
  fail "the end of the web process went unnoticed: $(tail -5 "$WORK/app.log")"
replaced() { replacement=$(pgrep -P $app -f WebKitWebProcess | head -1); [[ -n "$replacement" && "$replacement" != "$web" ]]; }
wait_for 10 replaced || fail "no new web process"
# Make the desktop redraw: what the old renderer drew must not count as the page.
window=$(wallpaper_window) || fail "no wallpaper window"
xdotool windowunmap --sync "$window"
xdotool windowmap --sync "$window"
wait_for 10 screen_shows_content || fail "the page was not drawn again after the web process died"
note "web process $web killed; page drawn again by $replacement within $((SECONDS - killed)) s"
[[ $(grep -c "⚠️ The web process crashed" "$WORK/app.log") == 1 ]] || fail "not one line per end"
kill -0 $app || fail "the application died"
