#!/usr/bin/env bash
# The screen saver replaces a web process that died and draws its page again, and
# its keep-alive does not log an error twice a second against the dead one.
source "$(dirname "$0")/lib.sh"

HOST="$BUILD_DIR/bin/$TAVELO_HOST_PROGRAM_NAME"

start_display
use_temporary_home

"$HOST" -root 2>"$WORK/host.log" &
host=$!
track $host
wait_for 20 grep -q "✅ Finished loading." "$WORK/host.log" || fail "the page did not load: $(cat "$WORK/host.log")"
wait_for 20 screen_shows_content || fail "the page never drew"
web=$(pgrep -P $host -f WebKitWebProcess | head -1)
[[ -n "$web" ]] || fail "no web process under the host"
kill -9 "$web"
wait_for 5 grep -q "⚠️ The web process crashed; reloading the page in" "$WORK/host.log" ||
  fail "the end of the web process went unnoticed: $(tail -5 "$WORK/host.log")"
loaded_twice() { (($(grep -c '✅ Finished loading.' "$WORK/host.log") >= 2)); }
wait_for 10 loaded_twice ||
  fail "the page was not loaded again: $(tail -5 "$WORK/host.log")"
replaced() { replacement=$(pgrep -P $host -f WebKitWebProcess | head -1); [[ -n "$replacement" && "$replacement" != "$web" ]]; }
wait_for 10 replaced || fail "no new web process"
wait_for 15 screen_shows_content || fail "the page is not drawn after the reload"
errors=$(grep -c "JS error" "$WORK/host.log" || true)
((errors == 0)) || fail "$errors keep-alive errors against the dead web process"
note "web process $web killed; reloaded by $replacement, drawn again, no keep-alive errors"
kill -TERM $host
wait $host || fail "the host ended with status $? after the recovery"
