#!/usr/bin/env bash
# Quitting (and the screen saver's stop) ends the web processes at once, even one too busy to
# notice that the application went (here: a stopped one, the extreme of busy).
source "$(dirname "$0")/lib.sh"

start_display
use_temporary_home
mkdir -p "$(dirname "$(settings_file)")"
echo '{"selectedViewID": "crypto_bubbles", "firstLaunchDone": true}' >"$(settings_file)"

"$APP" 2>"$WORK/app.log" &
app=$!
track $app
wait_for 20 screen_shows_content || fail "the page never drew"
web=$(pgrep -P $app -f WebKitWebProcess | head -1)
[[ -n "$web" ]] || fail "no web process under the application"
children=$(pgrep -P $app | tr '\n' ' ')
track "$web"
kill -STOP "$web"

kill -TERM $app
wait $app || fail "the application ended with status $? on SIGTERM"
quit=$SECONDS
alive() {
  local pid state
  for pid in $children; do
    state=$(ps -o stat= -p "$pid" 2>/dev/null || true)
    [[ -n "$state" && "$state" != Z* ]] && return 0
  done
  return 1
}
wait_for 2 bash -c "$(declare -f alive); children='$children'; ! alive" ||
  fail "web processes outlived the application: $(ps -o pid=,stat=,comm= -p "${children// /,}" 2>/dev/null)"
note "application quit with status 0; its processes ($children) ended within $((SECONDS - quit)) s, the stopped web process too"

# The screen saver's stop ends its web process at once too.
HOST="$BUILD_DIR/bin/$TAVELO_HOST_PROGRAM_NAME"
"$HOST" -root 2>"$WORK/host.log" &
host=$!
track $host
wait_for 20 grep -q "✅ Finished loading." "$WORK/host.log" || fail "the screen saver's page did not load"
children=$(pgrep -P $host | tr '\n' ' ')
web=$(pgrep -P $host -f WebKitWebProcess | head -1)
[[ -n "$web" ]] || fail "no web process under the screen-saver host"
track "$web"
kill -STOP "$web"
kill -TERM $host
wait $host || fail "the host ended with status $? on SIGTERM"
quit=$SECONDS
wait_for 2 bash -c "$(declare -f alive); children='$children'; ! alive" ||
  fail "web processes outlived the screen saver: $(ps -o pid=,stat=,comm= -p "${children// /,}" 2>/dev/null)"
note "screen saver stopped with status 0; its processes ($children) ended within $((SECONDS - quit)) s"
