#!/usr/bin/env bash
# The public HTTPS recipe (deploy/site-on-nginx.sh: nginx from Debian in front of the
# view site program and its data job), served with a certificate from a test
# certificate authority that only this test trusts. Checks the real pages and headers
# over HTTPS with curl, then the application itself loading the heat map through it:
# WebKit's TLS (glib-networking/GnuTLS) reads the system trust file, so the application
# runs in a mount namespace of its own where that file holds the test authority alone.
source "$(dirname "$0")/lib.sh"
command -v nginx >/dev/null || { echo "SKIP: nginx is not installed"; exit 77; }

note "a test certificate authority and a certificate for 127.0.0.1"
tls="$WORK/tls"
mkdir -p "$tls"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tls/ca.key" -out "$tls/ca.pem" -days 2 -subj "/CN=Tavelo test CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout "$tls/server.key" -out "$tls/server.csr" -subj "/CN=127.0.0.1" 2>/dev/null
printf '%s\n' "subjectAltName=IP:127.0.0.1,DNS:localhost" "basicConstraints=CA:FALSE" \
  "keyUsage=critical,digitalSignature,keyEncipherment" "extendedKeyUsage=serverAuth" >"$tls/server.ext"
openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" -CAcreateserial -days 2 \
  -extfile "$tls/server.ext" -out "$tls/server.pem" 2>/dev/null

https_port=$(free_port)
http_port=$(free_port)
site_port=$(free_port)
origin="https://127.0.0.1:$https_port"
ipv6=()
[[ -s /proc/net/if_inet6 ]] || ipv6=(--no-ipv6)
bash "$SOURCE_DIR/deploy/site-on-nginx.sh" --server-name 127.0.0.1 --certificate "$tls/server.pem" --key "$tls/server.key" \
  --https-port "$https_port" --http-port "$http_port" --site-port "$site_port" "${ipv6[@]}" \
  --site-program "$BUILD_DIR/bin/$TAVELO_SITE_PROGRAM_NAME" --data "$WORK/site-data" --config "$SITE_CONFIG" \
  --work "$WORK/nginx" >"$WORK/deploy.log" 2>&1 &
track $!
get() { curl -sS --cacert "$tls/ca.pem" "$@"; }
wait_for 20 get -f -o /dev/null "$origin/" || fail "the HTTPS site did not come up: $(cat "$WORK/deploy.log")"
grep -q "✅ View site serving .* at http://127.0.0.1:$site_port\$" "$WORK/deploy.log" || fail "the site program is not behind nginx"

note "HTTPS only with the test authority"
curl -sS -o /dev/null "$origin/" 2>/dev/null && fail "the system trusts the test certificate authority"
[[ $(curl -s -o /dev/null -w '%{http_code} %{redirect_url}' "http://127.0.0.1:$http_port/view.html") == \
   "301 https://127.0.0.1/view.html" ]] || fail "plain HTTP does not point to HTTPS"

note "pages and headers over HTTPS"
header() { grep -i "^$1:" "$WORK/headers" | head -1 | cut -d' ' -f2- | tr -d '\r'; }
csp="default-src 'none'; script-src 'self'; style-src 'self'; font-src 'self'; img-src 'self' data:; connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'"
for path in / /view.html /stockView.html /view.html?darkened=1 /js/heatmap.js /data/sp500.json /data/indices.json; do
  [[ $(get -o "$WORK/body" -D "$WORK/headers" -w '%{http_code}' "$origin$path") == 200 ]] || fail "$path did not answer 200"
  file="$BUILD_DIR/site${path%%\?*}"
  [[ "$path" == / ]] && file="$BUILD_DIR/site/index.html"
  cmp -s "$WORK/body" "$file" || fail "$path is not the site's file"
  [[ "$(header Content-Security-Policy)" == "$csp" ]] || fail "$path: Content-Security-Policy $(header Content-Security-Policy)"
  [[ "$(header X-Content-Type-Options)" == nosniff ]] || fail "$path: no nosniff"
  [[ "$(header Strict-Transport-Security)" == "max-age=31536000" ]] || fail "$path: no HSTS"
  [[ -n "$(header ETag)" && -n "$(header Cache-Control)" ]] || fail "$path: no validators or lifetime"
done
get -o /dev/null -D "$WORK/headers" "$origin/data/sp500.json"
[[ "$(header Cache-Control)" == "public, max-age=60, must-revalidate" ]] || fail "data lifetime: $(header Cache-Control)"
[[ $(get -o /dev/null -w '%{http_code}' -H "If-None-Match: $(header ETag)" "$origin/data/sp500.json") == 304 ]] ||
  fail "no 304 through nginx"
[[ $(get -o /dev/null -D "$WORK/headers" -w '%{http_code}' -X POST -d x=1 "$origin/view.html") == 405 &&
   "$(header Allow)" == "GET, HEAD" ]] || fail "POST was not refused"
for path in /%2e%2e/%2e%2e/etc/passwd /../../etc/passwd /view.html%00; do
  status=$(get --path-as-is -o "$WORK/body" -w '%{http_code}' "$origin$path")
  [[ "$status" == 400 || "$status" == 404 ]] || fail "$path answered $status over HTTPS"
  grep -q root: "$WORK/body" && fail "$path leaked a file"
done
[[ $(get -o /dev/null -w '%{http_version}' "$origin/") == 2 ]] || note "(nginx answered without HTTP/2)"

note "the application loads the heat map through it"
use_temporary_home
mkdir -p "$(dirname "$(settings_file)")"
printf '{"firstLaunchDone": true, "selectedViewID": "sp500_heatmap"}\n' >"$(settings_file)"
start_display 1280x800x24
run_app() {  # LOG [TRUST-FILE]: the application with the HTTPS origin, trusting only TRUST-FILE when given
  local trust=${2:-}
  TAVELO_TEST_VIEW_SITE_ORIGIN=$origin GDK_BACKEND=x11 NO_AT_BRIDGE=1 unshare --mount --propagation private -- bash -c '
    if [[ -n "$1" ]]; then mount --bind "$1" /etc/ssl/certs/ca-certificates.crt || exit 3; fi
    shift; exec dbus-run-session -- "$@"' _ "$trust" "$APP" >"$1" 2>&1 &
  app=$!
  track $app
}
(( $(id -u) == 0 )) && unshare --mount true 2>/dev/null || { echo "SKIP: needs a mount namespace (root)"; exit 77; }
: >"$WORK/nginx/logs/access.log"
run_app "$WORK/app.log" "$tls/ca.pem"
wait_for 30 grep -q "App did finish launching" "$WORK/app.log" || fail "the application did not start: $(cat "$WORK/app.log")"
wait_for 30 screen_shows_content || fail "the heat map did not come over HTTPS: $(cat "$WORK/app.log")"
mkdir -p "$BUILD_DIR/test-artifacts"
# The heat map draws its tiles in after its first frame.
heat_map_drawn() { import -window root "$BUILD_DIR/test-artifacts/https-sp500_heatmap.png" && at_least "$(tile_share "$BUILD_DIR/test-artifacts/https-sp500_heatmap.png")" 0.4; }
wait_for 20 heat_map_drawn || true
at_least "$(tile_share "$BUILD_DIR/test-artifacts/https-sp500_heatmap.png")" 0.4 || fail "the wallpaper shows no heat map"
grep -q '"GET /view.html?darkened=1 HTTP/[12]' "$WORK/nginx/logs/access.log" || fail "nginx never served the page: $(cat "$WORK/nginx/logs/access.log")"
wait_for 10 grep -q '"GET /data/sp500.json HTTP/[12]' "$WORK/nginx/logs/access.log" || fail "the page never fetched its data over HTTPS"
grep -Eq "View site (started|starting)" "$WORK/app.log" && fail "the application started a loopback site for an HTTPS origin"
# The application and the session bus around it, before the next one starts.
kill -TERM $(process_tree $app) 2>/dev/null || true
wait $app || true

note "without the test authority the same application gets nothing"
run_app "$WORK/untrusted.log"
wait_for 30 grep -q "App did finish launching" "$WORK/untrusted.log" || fail "the application did not start"
wait_for 30 grep -q "⚠️ The page did not load" "$WORK/untrusted.log" ||
  fail "the certificate nobody trusts was not refused: $(cat "$WORK/untrusted.log")"
import -window root "$WORK/untrusted.png"
at_least 0.05 "$(tile_share "$WORK/untrusted.png")" || fail "the heat map showed over a certificate nobody trusts"
echo "PASS view site over HTTPS"
