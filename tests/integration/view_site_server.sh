#!/usr/bin/env bash
# The view site's server, as a browser and an attacker would meet it: only files of its
# folder (no "..", encoded or not, no symbolic link out, no NUL, no hidden temporary
# file), GET and HEAD only, the caching and security headers, 304 answers to
# conditional requests, a large file intact, and a port that another program holds.
source "$(dirname "$0")/lib.sh"
SITE="$BUILD_DIR/bin/$TAVELO_SITE_PROGRAM_NAME"

root="$WORK/root"
data="$WORK/data"
cp -r "$BUILD_DIR/site" "$root"
mkdir -p "$data"
echo "top secret" >"$WORK/secret.txt"
ln -s "$WORK/secret.txt" "$root/leak.txt"
ln -s "$WORK" "$root/outside"
ln -s view.html "$root/alias.html"
head -c $((48 * 1024 * 1024)) /dev/urandom >"$root/big.bin"
printf '{"fresh": true}\n' >"$data/sp500.json"
printf 'half a fi' >"$data/.sp500.json.Ab12Cd"

port=$(free_port)
base="http://127.0.0.1:$port"
"$SITE" --listen "127.0.0.1:$port" --root "$root" --data "$data" --no-data-job >"$WORK/site.log" 2>&1 &
track $!
wait_for 10 curl -fsS -o /dev/null "$base/" || fail "the site did not start: $(cat "$WORK/site.log")"
grep -q "✅ View site serving .* at $base\$" "$WORK/site.log" || fail "no serving line: $(cat "$WORK/site.log")"

code() { rm -f "$WORK/body"; curl -s --path-as-is -o "$WORK/body" -w '%{http_code}' "$@"; }
header() { grep -i "^$1:" "$WORK/headers" | head -1 | cut -d' ' -f2- | tr -d '\r'; }

note "confinement"
for path in /../secret.txt /../../../../etc/passwd /%2e%2e/secret.txt /%2E%2E%2Fsecret.txt /css/..%2f..%2fsecret.txt \
    /data/..%2f..%2fsecret.txt /leak.txt /outside/secret.txt /%00 /view.html%00 /view.html%00.png \
    /data/.sp500.json.Ab12Cd /.well-known/../../secret.txt '/%5c..%5csecret.txt'; do
  status=$(code "$base$path")
  [[ "$status" == 404 || "$status" == 400 ]] || fail "$path answered $status"
  grep -q "secret\|root:" "$WORK/body" && fail "$path leaked a file outside the site"
done
[[ $(code "$base/alias.html") == 200 ]] && cmp -s "$WORK/body" "$root/view.html" ||
  fail "a symbolic link that stays inside the folder is not served"
[[ $(code "$base/data/sp500.json") == 200 ]] && grep -q fresh "$WORK/body" || fail "the data folder does not overlay the shipped data"
[[ $(code "$base/data/indices.json") == 200 ]] && cmp -s "$WORK/body" "$root/data/indices.json" ||
  fail "shipped data is not served where the data folder has none"

note "methods"
for method in POST PUT DELETE PATCH OPTIONS TRACE PROPFIND; do
  status=$(curl -s -o /dev/null -D "$WORK/headers" -w '%{http_code}' -X "$method" "$base/view.html")
  [[ "$status" == 405 ]] || fail "$method answered $status"
  [[ "$(header Allow)" == "GET, HEAD" ]] || fail "$method: no Allow: GET, HEAD"
done

note "headers"
csp="default-src 'none'; script-src 'self'; style-src 'self'; font-src 'self'; img-src 'self' data:; connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'"
expect_headers() {  # PATH CONTENT-TYPE CACHE-CONTROL
  [[ $(curl -s -o /dev/null -D "$WORK/headers" -w '%{http_code}' "$base$1") == 200 ]] || fail "$1 did not answer 200"
  [[ "$(header Content-Type)" == "$2" ]] || fail "$1: Content-Type $(header Content-Type)"
  [[ "$(header Cache-Control)" == "$3" ]] || fail "$1: Cache-Control $(header Cache-Control)"
  [[ "$(header Content-Security-Policy)" == "$csp" ]] || fail "$1: Content-Security-Policy $(header Content-Security-Policy)"
  [[ "$(header X-Content-Type-Options)" == nosniff ]] || fail "$1: no nosniff"
  [[ -n "$(header ETag)" && -n "$(header Last-Modified)" ]] || fail "$1: no validators"
}
expect_headers / "text/html; charset=utf-8" "no-cache"
expect_headers /view.html "text/html; charset=utf-8" "no-cache"
expect_headers /data/sp500.json "application/json" "public, max-age=60, must-revalidate"
# Data is never a script: a .js file in the data folder is not served, wherever it came from.
printf 'document.title = "planted"\n' >"$data/sp500.js"
[[ $(code "$base/data/sp500.js") == 404 ]] || fail "a script in the data folder was served"
expect_headers /js/heatmap.js "text/javascript; charset=utf-8" "public, max-age=300"
stamp=$(grep -o 'js/heatmap.js?v=[0-9a-f]*' "$root/view.html") || fail "view.html names its script without a stamp"
expect_headers "/$stamp" "text/javascript; charset=utf-8" "public, max-age=31536000, immutable"
expect_headers /fonts/inter-latin-400-normal.woff2 "font/woff2" "public, max-age=31536000, immutable"
curl -s -o /dev/null -D "$WORK/headers" "$base/nothing-here.html"
[[ "$(header X-Content-Type-Options)" == nosniff && "$(header Content-Security-Policy)" == "$csp" ]] ||
  fail "an error answer lacks the security headers"

note "conditional requests"
curl -s -o /dev/null -D "$WORK/headers" "$base/data/sp500.json"
etag=$(header ETag)
modified=$(header Last-Modified)
[[ $(code -H "If-None-Match: $etag" "$base/data/sp500.json") == 304 && ! -s "$WORK/body" ]] || fail "If-None-Match did not give an empty 304"
[[ $(code -H "If-None-Match: \"other\", $etag" "$base/data/sp500.json") == 304 ]] || fail "a list of tags did not match"
[[ $(code -H "If-Modified-Since: $modified" "$base/data/sp500.json") == 304 ]] || fail "If-Modified-Since did not give 304"
[[ $(code -H 'If-None-Match: "stale"' -H "If-Modified-Since: $modified" "$base/data/sp500.json") == 200 ]] ||
  fail "a stale tag was answered 304 (If-None-Match must win over the date)"
printf '{"fresh": "again"}\n' >"$data/sp500.json.new" && touch -d '+2 seconds' "$data/sp500.json.new" &&
  mv "$data/sp500.json.new" "$data/sp500.json"
[[ $(code -H "If-None-Match: $etag" "$base/data/sp500.json") == 200 ]] && grep -q again "$WORK/body" ||
  fail "a replaced data file was still answered 304"

note "HEAD and a large file"
curl -s -I -o "$WORK/headers" "$base/big.bin"
[[ "$(header Content-Length)" == "$(stat -c %s "$root/big.bin")" ]] || fail "HEAD: Content-Length $(header Content-Length)"
[[ $(curl -s -I "$base/view.html" -w '%{size_download}' -o /dev/null) == 0 ]] || fail "HEAD sent a body"
[[ $(code "$base/big.bin") == 200 ]] || fail "the large file did not answer 200"
cmp -s "$WORK/body" "$root/big.bin" || fail "the large file arrived changed"

note "the identity answer"
curl -fsS "$base/.well-known/$TAVELO_SITE_PROGRAM_NAME" | grep -q "\"service\":\"$TAVELO_SITE_PROGRAM_NAME\"" ||
  fail "no identity answer"

note "a second site on the same port leaves the first serving"
"$SITE" --listen "127.0.0.1:$port" --root "$root" --no-data-job >"$WORK/second.log" 2>&1 || fail "the second site failed: $(cat "$WORK/second.log")"
grep -q "✅ View site already served at $base\$" "$WORK/second.log" || fail "second site: $(cat "$WORK/second.log")"

note "a port another program holds"
mkdir -p "$WORK/other"
echo "someone else's page" >"$WORK/other/view.html"
python3 "$SOURCE_DIR/tests/integration/helpers/stand_in_site.py" "$WORK/other" "$WORK/other.port" "$WORK/other.log" &
track $!
wait_for 10 test -s "$WORK/other.port" || fail "the other program did not start"
other=$(<"$WORK/other.port")
status=0
"$SITE" --listen "127.0.0.1:$other" --root "$root" --no-data-job >"$WORK/taken.log" 2>&1 || status=$?
[[ $status == 2 ]] || fail "the site on a taken port ended with status $status"
grep -q "❌ View site: http://127.0.0.1:$other is held by another program; not serving\$" "$WORK/taken.log" ||
  fail "no clear line for the taken port: $(cat "$WORK/taken.log")"

# The application meets the other program on its origin: one clear line, once, and the
# views come from a site of its own on another port, never from the other program.
start_display 1280x800x24
use_temporary_home
mkdir -p "$(dirname "$(settings_file)")"
printf '{"firstLaunchDone": true, "selectedViewID": "sp500_heatmap"}\n' >"$(settings_file)"
TAVELO_TEST_VIEW_SITE_ORIGIN="http://127.0.0.1:$other" GDK_BACKEND=x11 NO_AT_BRIDGE=1 dbus-run-session -- "$APP" >"$WORK/app.log" 2>&1 &
track $!
wait_for 30 grep -q "View site started at" "$WORK/app.log" || fail "the application started no site of its own: $(cat "$WORK/app.log")"
own=$(grep -o "View site started at http://127.0.0.1:[0-9]*" "$WORK/app.log" | grep -o "[0-9]*$")
[[ "$own" != "$other" ]] || fail "the own site claims the other program's port"
record="$XDG_RUNTIME_DIR/$TAVELO_PROGRAM_NAME/view-site.json"
grep -q "\"port\":$own" "$record" || fail "the site's record does not name its port: $(cat "$record")"
wait_for 30 grep -q "✅ Finished loading\|did finish loading\|Wallpaper loaded" "$WORK/app.log" || true
[[ $(grep -c "⚠️ View site: another program holds http://127.0.0.1:$other; the views come from this account's own site at http://127.0.0.1:$own, never from it\$" "$WORK/app.log") == 1 ]] ||
  fail "the application did not say once that another program holds the port: $(cat "$WORK/app.log")"
# The wallpaper shows the heat map of the own site, and the other program never hears
# a page request from it.
heat_map_shown() { import -window root "$WORK/screen.png" 2>/dev/null && at_least "$(tile_share "$WORK/screen.png")" 0.3; }
wait_for 40 heat_map_shown || fail "the wallpaper does not show the own site's heat map (tiles: $(tile_share "$WORK/screen.png"))"
[[ $(grep -c "GET /view.html" "$WORK/other.log") == 0 ]] || fail "the wallpaper asked the other program for its page: $(cat "$WORK/other.log")"
kill "$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["pid"])' "$record")"
echo "PASS view site server"
