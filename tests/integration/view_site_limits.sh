#!/usr/bin/env bash
# The view site under the loads a public server meets: clients that leave their
# connections, a request for thousands of ranges, a thousand requests sent halfway,
# more connections than one client may hold, and requests for a proxy. Every load is
# bounded in count and time and goes to loopback only.
source "$(dirname "$0")/lib.sh"
SITE="$BUILD_DIR/bin/$TAVELO_SITE_PROGRAM_NAME"
LOAD="python3 $(dirname "$0")/helpers/site_load.py"

descriptors() { find "/proc/$1/fd" -mindepth 1 -maxdepth 1 | wc -l; }
close_wait() { ss -Htn state close-wait "sport = :$1" | wc -l; }
at_most() { (($(descriptors "$1") <= $2)); }

# A site whose limits the test sets: HEADER and ANSWER seconds, connections in all
# and per client. Prints its port; its pid is in $site.
start_limited_site() {  # NAME HEADER ANSWER TOTAL PER-CLIENT
  port=$(free_port)
  "$SITE" --listen "127.0.0.1:$port" --root "$BUILD_DIR/site" --data "$WORK/data" --no-data-job \
    --header-timeout "$2" --answer-timeout "$3" --max-connections "$4" --max-per-client "$5" >"$WORK/$1.log" 2>&1 &
  site=$!
  track $site
  wait_for 10 curl -fsS -o /dev/null "http://127.0.0.1:$port/" || fail "the site did not start: $(cat "$WORK/$1.log")"
}
mkdir -p "$WORK/data"

note "connections the clients close are given back"
start_limited_site closed 10 30 256 64
before=$(descriptors $site)
$LOAD closed-keepalive "$port" 2000 || fail "kept-alive requests failed"
# The site closes its side once it reads the client's end; it is waited for, not slept on.
wait_for 10 at_most $site $((before + 2)) || fail "descriptors grew from $before to $(descriptors $site) after 2000 closed connections"
[[ $(close_wait "$port") == 0 ]] || fail "$(close_wait "$port") connections left in CLOSE-WAIT"
curl -fsS -o /dev/null "http://127.0.0.1:$port/view.html" || fail "the site stopped answering"

note "a request for 5000 ranges gets no more than the file"
size=$(stat -c %s "$BUILD_DIR/site/js/heatmap.js")
answer=$($LOAD many-ranges "$port" /js/heatmap.js 5000) || fail "the many-range request failed"
((answer > size && answer <= size + 4096)) || fail "5000 ranges of a $size-byte file got $answer bytes"
one=$(curl -s -o /dev/null -w '%{http_code} %{size_download}' -H 'Range: bytes=0-99' "http://127.0.0.1:$port/js/heatmap.js")
[[ "$one" == "206 100" ]] || fail "a single range answered $one"

note "requests for a proxy are refused at once"
$LOAD refused-at-once "$port" 'CONNECT example.com:443 HTTP/1.1\r\nHost: example.com:443\r\n\r\n' | grep -q " 405 " ||
  fail "CONNECT was not refused"
$LOAD refused-at-once "$port" 'GET http://example.com/view.html HTTP/1.1\r\nHost: example.com\r\n\r\n' | grep -q " 400 " ||
  fail "an absolute URI for another host was not refused"
$LOAD refused-at-once "$port" 'GET /view.html HTTP/1.1\r\nHost: rebound.example:'"$port"'\r\n\r\n' | grep -q " 400 " ||
  fail "a request for another name was served"

note "one client holds no more connections than it may"
$LOAD held "$port" 100 64 8 || fail "the per-client limit did not hold"
[[ $(grep -c "⚠️ View site: 127.0.0.1 holds 64 connections, the most one client may; refusing more from it" "$WORK/closed.log") == 1 ]] ||
  fail "no single line about the refused connections: $(cat "$WORK/closed.log")"

note "1000 half-sent requests are dropped after the header timeout; a whole one still answers"
start_limited_site slow 3 30 2000 2000
$LOAD half-sent "$port" 1000 2.5 20 >"$WORK/half.out" 2>&1 &
loader=$!
track $loader
wait_for 30 grep -q "1000 half-sent requests open" "$WORK/half.out" || fail "the half-sent requests were not all accepted: $(cat "$WORK/half.out")"
status=$(curl -s -o /dev/null -m 2 -w '%{http_code}' "http://127.0.0.1:$port/view.html")
[[ "$status" == 200 ]] || fail "a whole request was not answered beside the half-sent ones: $status"
wait "$loader" || fail "$(cat "$WORK/half.out")"
wait_for 10 at_most $site 12 || fail "the dropped connections left $(descriptors $site) descriptors"

note "every answer says the connection ends, and it does"
$LOAD answered-and-closed "$port" || fail "a connection outlived its answer"
echo "PASS view site limits"
