#!/usr/bin/env bash
# The view site's data job on a fast schedule against a loopback stand-in of its
# upstream sources, answering from recorded responses: good answers replace the served
# data (atomically: a reader never sees half a file), while malformed, rate-limited,
# slow and partial answers keep the last good data. A rate-limited upstream is not
# asked again before the pause it asked for.
source "$(dirname "$0")/lib.sh"
SITE="$BUILD_DIR/bin/$TAVELO_SITE_PROGRAM_NAME"

upstream_port=$(free_port)
echo good >"$WORK/mode"
python3 "$SOURCE_DIR/tests/integration/helpers/upstream_standin.py" "$upstream_port" \
  "$SOURCE_DIR/tests/integration/fixtures/upstream" "$WORK/mode" "$WORK/upstream.log" &
track $!
wait_for 10 curl -fsS -o /dev/null "http://127.0.0.1:$upstream_port/history/spy" || fail "the stand-in did not start"

up="http://127.0.0.1:$upstream_port"
cat >"$WORK/site.json" <<JSON
{"screenerURL": "$up/screener?download=true", "historyURL": "$up/history/{symbol}",
 "upstreamTimeoutSeconds": 2, "firstRunDelaySeconds": 0,
 "refreshMarketOpenSeconds": 1, "refreshMarketClosedSeconds": 1, "retryAfterFailureSeconds": 1}
JSON
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

note "good answers"
wait_for 15 grep -q "✅ View site data: S&P 500 refreshed" "$WORK/site.log" || fail "no refresh: $(cat "$WORK/site.log")"
wait_for 15 grep -q "✅ View site data: indices refreshed (4 series)" "$WORK/site.log" || fail "no indices: $(cat "$WORK/site.log")"
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

note "a reader never sees half a file"
python3 - "$data/sp500.json" "$base/data/sp500.json" <<'PY' || fail "a reader saw a partial data file"
import json, sys, time, urllib.request
path, url = sys.argv[1], sys.argv[2]
versions, reads, deadline = set(), 0, time.time() + 5
while time.time() < deadline:
    for text in (open(path, "rb").read(), urllib.request.urlopen(url).read()):
        versions.add(json.loads(text)["companies"][0]["chg"])
        reads += 1
assert len(versions) >= 2, "the data did not change while it was read: %r" % versions
print("%d reads, %d versions, all whole" % (reads, len(versions)))
PY

keep_last_good() {  # MODE LINE: the answer is refused with that line and nothing changes
  echo "$1" >"$WORK/mode"
  # A run that asked before the change may still be writing good data; once one run
  # has been refused whole, what is served must stay as it is.
  refused_run "$@"
  served sp500.json >"$WORK/before.json"
  served indices.json >"$WORK/before-indices.json"
  refused_run "$@"
  served sp500.json | cmp -s - "$WORK/before.json" || fail "$1: the heat map data changed"
  served indices.json | cmp -s - "$WORK/before-indices.json" || fail "$1: the indices changed"
  cmp -s "$data/sp500.json" "$WORK/before.json" || fail "$1: the data file changed"
}
refused_run() {  # MODE LINE: one more run refused with that line, both sources
  wait_for_more "S&P 500 kept its last data: $2" 20 || fail "$1: no line 'S&P 500 kept its last data: $2': $(tail -5 "$WORK/site.log")"
  wait_for_more "indices kept their last data" 20 || fail "$1: the indices were not kept"
}
note "malformed answers"
keep_last_good malformed "malformed answer"
note "partial answers (half the companies; a history cut off mid-answer)"
keep_last_good partial "partial answer: "
note "slow answers"
keep_last_good slow "no complete answer in time"
note "rate-limited answers"
keep_last_good ratelimited "HTTP status 429"
wait_for_more "S&P 500 kept its last data: HTTP status 429" 20 || fail "no second rate-limited run"
python3 - "$WORK/upstream.log" <<'PY' || fail "the rate-limited upstream was asked again too soon"
import sys
times = [float(line.split()[0]) for line in open(sys.argv[1]) if line.split()[2] == "ratelimited" and "/screener" in line]
gaps = [b - a for a, b in zip(times, times[1:])]
assert gaps and min(gaps) >= 2.9, gaps
PY

note "good again"
echo good >"$WORK/mode"
wait_for_more "✅ View site data: S&P 500 refreshed" 20 || fail "the data job did not recover"
echo "PASS view site data job"
