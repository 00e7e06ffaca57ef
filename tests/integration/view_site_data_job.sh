#!/usr/bin/env bash
# The view site's data job on a fast schedule against loopback stand-ins of two sources
# per dataset, answering from recorded responses. Good answers replace the served data
# (atomically: a reader never sees half a file). When the first source of a dataset
# refuses, in any of the ways real providers do, the second one's data is served, and
# the page says where it came from and how old it is; a refusing source is not asked
# again before the pause it asked for, and one dataset's failing sources never make the
# job fetch the other dataset again.
source "$(dirname "$0")/lib.sh"
SITE="$BUILD_DIR/bin/$TAVELO_SITE_PROGRAM_NAME"

upstream_port=$(free_port)
mkdir -p "$WORK/modes"
python3 "$SOURCE_DIR/tests/integration/helpers/upstream_standin.py" "$upstream_port" \
  "$SOURCE_DIR/tests/integration/fixtures/upstream" "$WORK/modes" "$WORK/upstream.log" &
track $!
wait_for 10 curl -fsS -o /dev/null "http://127.0.0.1:$upstream_port/stooq/spy" || fail "the stand-in did not start"

up="http://127.0.0.1:$upstream_port"
cat >"$WORK/site.json" <<JSON
{"screenerURL": "$up/nasdaq/screener?download=true", "quotesURL": "$up/fmp/quote/{symbols}?apikey={apikey}",
 "historyURL": "$up/stooq/{symbol}?apikey={apikey}", "nasdaqHistoryURL": "$up/nasdaq/history/{SYMBOL}?fromdate={from}",
 "binanceDataURL": "$up/binance-data/api/v3/klines", "binanceURL": "$up/binance/api/v3/klines",
 "krakenURL": "$up/kraken/0/public/OHLC", "coingeckoURL": "$up/coingecko/markets", "coinpaprikaURL": "$up/coinpaprika/tickers",
 "fmpApiKey": "fmp-test-key", "stooqApiKey": "stooq-test-key", "answerLimitBytes": 4194304,
 "upstreamTimeoutSeconds": 2, "firstRunDelaySeconds": 0,
 "refreshMarketOpenSeconds": 2, "refreshMarketClosedSeconds": 2, "retryAfterFailureSeconds": 1}
JSON
chmod 600 "$WORK/site.json"
port=$(free_port)
base="http://127.0.0.1:$port"
data="$WORK/data"
"$SITE" --listen "127.0.0.1:$port" --data "$data" --config "$WORK/site.json" --root "$BUILD_DIR/site" >"$WORK/site.log" 2>&1 &
track $!
wait_for 10 curl -fsS -o /dev/null "$base/" || fail "the site did not start: $(cat "$WORK/site.log")"

count() { grep -c -- "$1" "$WORK/site.log" || true; }
# wait_for_more TEXT: until one more line with TEXT than now appears in the site's log.
wait_for_more() {
  local before
  before=$(count "$1")
  wait_for "${2:-15}" bash -c "(( \$(grep -c -- '$1' '$WORK/site.log') > $before ))"
}
served() { curl -fsS "$base/data/$1"; }
source_of() { served "$1" | python3 -c 'import json,sys; print(json.load(sys.stdin)["source"])'; }
mode() { echo "$2" >"$WORK/modes/$1"; }

note "settings that cannot be read are never passed over"
touch "$WORK/not-a-folder"
other=$(free_port)
XDG_CONFIG_HOME="$WORK/not-a-folder" "$SITE" --listen "127.0.0.1:$other" --root "$BUILD_DIR/site" --data "$WORK/other-data" \
  --idle-exit 0 >"$WORK/unreadable.log" 2>&1 &
track $!
wait_for 10 grep -q "the data job stays off" "$WORK/unreadable.log" || fail "an unreadable site.json was ignored: $(cat "$WORK/unreadable.log")"
grep -q "❌ View site data: cannot read $WORK/not-a-folder/" "$WORK/unreadable.log" || fail "no line names the unreadable file"
! grep -q "refreshed\|asking the built-in" "$WORK/unreadable.log" || fail "the job went to the built-in sources"
for named in "$WORK/missing.json" "$WORK/not-a-folder"; do
  [[ $named == */not-a-folder ]] && echo '{"screenerURL": 7}' >"$named"
  status=0
  "$SITE" --listen "127.0.0.1:$other" --root "$BUILD_DIR/site" --config "$named" >"$WORK/named.log" 2>&1 || status=$?
  [[ $status -ne 0 ]] || fail "the site ran with settings it could not use: $named"
  grep -q "cannot be used" "$WORK/named.log" || fail "no line says why: $(cat "$WORK/named.log")"
done

note "good answers from the first sources"
wait_for 15 grep -q "✅ View site data: S&P 500 refreshed from nasdaq" "$WORK/site.log" || fail "no refresh: $(cat "$WORK/site.log")"
wait_for 15 grep -q "✅ View site data: indices refreshed from stooq (4 series)" "$WORK/site.log" || fail "no indices: $(cat "$WORK/site.log")"
served sp500.json >"$WORK/sp500.json"
python3 - "$WORK/sp500.json" "$SOURCE_DIR/site/data/sp500.json" <<'PY' || fail "the served heat map data is wrong"
import json, sys
fresh, shipped = json.load(open(sys.argv[1])), json.load(open(sys.argv[2]))
assert fresh["source"] == "nasdaq", fresh["source"]
assert [c["s"] for c in fresh["companies"]] == [c["s"] for c in shipped["companies"]], "members changed"
assert all(c["n"] == s["n"] and c["sector"] == s["sector"] for c, s in zip(fresh["companies"], shipped["companies"]))
assert all(isinstance(c["chg"], (int, float)) and c["cap"] > 0 for c in fresh["companies"])
assert not any(c["s"] == "ZZZZ" for c in fresh["companies"]), "a name outside the index got in"
PY
# Data is only ever served as JSON: a script beside it in the data folder is not.
[[ $(curl -s -o /dev/null -w '%{http_code}' "$base/data/sp500.js") == 404 ]] || fail "the data folder served a script"
served indices.json | python3 -c 'import json,sys; d=json.load(sys.stdin); assert d["source"]=="stooq" and all(len(s["closes"])>100 for s in d["series"])' ||
  fail "the served indices are wrong"
! grep -q "test-key" "$WORK/site.log" || fail "a key reached the log"

note "a reader never sees half a file"
python3 - "$data/sp500.json" "$base/data/sp500.json" <<'PY' || fail "a reader saw a partial data file"
import json, sys, time, urllib.request
path, url = sys.argv[1], sys.argv[2]
versions, reads, deadline = set(), 0, time.time() + 6
while time.time() < deadline:
    for text in (open(path, "rb").read(), urllib.request.urlopen(url).read()):
        versions.add(json.loads(text)["companies"][0]["chg"])
        reads += 1
assert len(versions) >= 2, "the data did not change while it was read: %r" % versions
print("%d reads, %d versions, all whole" % (reads, len(versions)))
PY

# falls_back MODE LINE [INDICES-LINE]: both first sources refuse with MODE; each is
# skipped with LINE (the indices' with INDICES-LINE when it differs) naming the second source, whose data is then served; then the first sources answer
# again and are used again.
falls_back() {
  mode nasdaq-screener "$1"
  mode stooq "$1"
  wait_for_more "S&P 500: nasdaq $2.*asking fmp instead" 20 || fail "$1: no line 'nasdaq $2': $(tail -5 "$WORK/site.log")"
  wait_for_more "✅ View site data: S&P 500 refreshed from fmp" 20 || fail "$1: fmp was not asked: $(tail -5 "$WORK/site.log")"
  [[ $(source_of sp500.json) == fmp ]] || fail "$1: the served heat map is not fmp's"
  wait_for 20 bash -c "grep -q 'indices: stooq ${3:-$2}.*asking nasdaq instead' '$WORK/site.log'" || fail "$1: no line 'stooq ${3:-$2}'"
  wait_for 20 bash -c "[[ \$(curl -fsS '$base/data/indices.json' | python3 -c 'import json,sys; print(json.load(sys.stdin)[\"source\"])') == nasdaq ]]" ||
    fail "$1: the served indices are not nasdaq's"
  mode nasdaq-screener good
  mode stooq good
  wait_for_more "✅ View site data: S&P 500 refreshed from nasdaq" 40 || fail "$1: nasdaq was not asked again"
  wait_for_more "✅ View site data: indices refreshed from stooq" 40 || fail "$1: stooq was not asked again"
  # The next round starts clean: each first source's refusals in a row are reset.
  rm -f "$WORK/modes/"*
}
note "refused (403)"; falls_back forbidden "refused (HTTP status 403)"
note "blocked here (451)"; falls_back blocked "blocked here (HTTP status 451)"
note "rate-limited (429, Retry-After 3)"; falls_back ratelimited "rate-limited (HTTP status 429), skipped for 3 s"
note "rate-limited (418, Retry-After 3)"; falls_back teapot "rate-limited (HTTP status 418), skipped for 3 s"
note "an HTML page in a 200"; falls_back html "wrong format (an HTML page)"
note "malformed"; falls_back malformed "wrong format"
note "partial"; falls_back partial "wrong format (partial answer: [0-9]* of 130 companies)" "wrong format ("
note "too big"; falls_back huge "wrong format (an answer too big"
note "sent to another host"; falls_back redirect "wrong format (sent elsewhere (HTTP status 302))"
note "too slow"; falls_back slow "failed ("

note "moved on the same host: followed"
elsewhere=$(count "nasdaq wrong format (sent elsewhere")
mode nasdaq-screener moved
wait_for 20 grep -q "nasdaq-screener /nasdaq/screener?download=true&moved=1 moved" "$WORK/upstream.log" ||
  fail "the moved address was not asked"
wait_for_more "✅ View site data: S&P 500 refreshed from nasdaq" 20 || fail "a redirect on the same host was not followed"
(($(count "nasdaq wrong format (sent elsewhere") == elsewhere)) || fail "a redirect on the same host was refused"
rm -f "$WORK/modes/"*

python3 - "$WORK/upstream.log" <<'PY' || fail "a rate-limited source was asked again before the pause it asked for"
import sys
rows = [line.split() for line in open(sys.argv[1])]
for mode in ("ratelimited", "teapot"):
    times = [float(r[0]) for r in rows if r[1] == "nasdaq-screener" and r[3] == mode]
    gaps = [b - a for a, b in zip(times, times[1:])]
    assert all(g >= 2.9 for g in gaps), (mode, gaps)
PY

note "the page says where its data came from and how old it is"
start_display
page_status() {
  "$BUILD_DIR/bin/webkit-page-probe" --url "$base/view.html" --width 1280 --height 720 --wait-ms 1000 \
    --eval "document.getElementById('status').textContent" 2>/dev/null | grep '"event":"eval"'
}
mode nasdaq-screener forbidden
wait_for 20 bash -c "[[ \$(curl -fsS '$base/data/sp500.json' | python3 -c 'import json,sys; print(json.load(sys.stdin)[\"source\"])') == fmp ]]" ||
  fail "the heat map did not move to fmp"
wait_for 20 bash -c "$(declare -f page_status); BUILD_DIR='$BUILD_DIR' base='$base' page_status | grep -Eq 'Financial Modeling Prep · updated (just now|[0-9]+ min ago)'" ||
  fail "the page does not name the source and age: $(page_status)"

note "one dataset's failing sources never refetch the other"
# A site of its own whose heat map is due once a minute while a failing indices run is
# retried within seconds: any heat-map run beyond the first one was caused by the indices.
# Counted in the site's own log, one line per run, so a slow machine cannot blur the
# count as it blurs the gaps between requests.
mode nasdaq-screener good
mode stooq html
mode nasdaq-history forbidden
python3 - "$WORK/site.json" "$WORK/site-slow-heatmap.json" <<'PY'
import json, sys
config = json.load(open(sys.argv[1]))
config.update(refreshMarketOpenSeconds=60, refreshMarketClosedSeconds=60, upstreamTimeoutSeconds=10)
json.dump(config, open(sys.argv[2], "w"))
PY
chmod 600 "$WORK/site-slow-heatmap.json"
apart=$(free_port)
"$SITE" --listen "127.0.0.1:$apart" --data "$WORK/data-apart" --config "$WORK/site-slow-heatmap.json" \
  --root "$BUILD_DIR/site" >"$WORK/site-apart.log" 2>&1 &
track $!
index_failures() { grep -c "403).*no other source" "$WORK/site-apart.log"; }
wait_for 30 grep -q "✅ View site data: S&P 500 refreshed from" "$WORK/site-apart.log" ||
  fail "the heat map's first run did not end: $(cat "$WORK/site-apart.log")"
failures_before=$(index_failures)
wait_for 30 bash -c "(( \$(grep -c '403).*no other source' '$WORK/site-apart.log') >= $failures_before + 2 ))" ||
  fail "the indices did not fail twice more: $(cat "$WORK/site-apart.log")"
heatmap_runs=$(grep -c "✅ View site data: S&P 500 refreshed from" "$WORK/site-apart.log")
[[ $heatmap_runs -eq 1 ]] ||
  fail "the heat map ran $heatmap_runs times while the indices failed $(index_failures) times: $(cat "$WORK/site-apart.log")"

note "the sources check"
rm -f "$WORK/modes/"*
"$SITE" --check-sources --config "$WORK/site.json" --root "$BUILD_DIR/site" >"$WORK/check.out" 2>"$WORK/check.err" ||
  fail "all sources answer, yet the check failed: $(cat "$WORK/check.out" "$WORK/check.err")"
for line in "S&P 500: nasdaq: answers (130 companies)" "S&P 500: fmp: answers (130 companies)" \
  "indices: stooq: answers (4 series)" "indices: nasdaq: answers (4 series)" \
  "BTC candles: binance (market-data host): answers (1 candles)" "BTC candles: kraken: answers (2 candles)" \
  "top 100 coins: coingecko: answers (1 coins)" "top 100 coins: coinpaprika: answers (1 coins)"; do
  grep -qxF "$line" "$WORK/check.out" || fail "no line '$line': $(cat "$WORK/check.out")"
done
mode nasdaq-screener forbidden
mode stooq html
mode nasdaq-history blocked
mode binance-data blocked
mode binance ratelimited
mode kraken html
status=0
"$SITE" --check-sources --config "$WORK/site.json" --root "$BUILD_DIR/site" >"$WORK/check.out" 2>"$WORK/check.err" || status=$?
[[ $status -ne 0 ]] || fail "no index source answers, yet the check succeeded: $(cat "$WORK/check.out")"
for line in "S&P 500: nasdaq: refused (HTTP status 403)" "S&P 500: fmp: answers (130 companies)" \
  "indices: stooq: wrong format (an HTML page)" "indices: nasdaq: blocked here (HTTP status 451)" "indices: no working source" \
  "BTC candles: binance (market-data host): blocked here (HTTP status 451)" \
  "BTC candles: binance: rate-limited (HTTP status 429, asks for a pause of 3 s)" \
  "BTC candles: kraken: wrong format (an HTML page)" "BTC candles: no working source"; do
  grep -qxF "$line" "$WORK/check.out" || fail "no line '$line': $(cat "$WORK/check.out")"
done
! grep -q "test-key" "$WORK/check.out" "$WORK/check.err" || fail "a key reached the check's output"
note "keys in a file others may read are not used"
cp "$WORK/site.json" "$WORK/shared-site.json"
chmod 644 "$WORK/shared-site.json"
rm -f "$WORK/modes/"*
"$SITE" --check-sources --config "$WORK/shared-site.json" --root "$BUILD_DIR/site" >"$WORK/check.out" 2>"$WORK/check.err" ||
  fail "the keyless sources answer, yet the check failed: $(cat "$WORK/check.out")"
grep -q "holds keys but others may read it" "$WORK/check.err" || fail "no line says the keys were not used: $(cat "$WORK/check.err")"
grep -qxF "S&P 500: fmp: needs a key of your own in site.json; not asked" "$WORK/check.out" ||
  fail "a key from a file others may read was used: $(cat "$WORK/check.out")"
echo "PASS view site data job"
