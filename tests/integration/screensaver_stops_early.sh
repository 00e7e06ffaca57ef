#!/usr/bin/env bash
# XScreenSaver may stop a hack the moment it started it. A SIGTERM in the host's
# first milliseconds (while GTK and WebKit are still being loaded) ends it cleanly
# with status 0, as a later one does.
source "$(dirname "$0")/lib.sh"

HOST="$BUILD_DIR/bin/$TAVELO_HOST_PROGRAM_NAME"
start_display
use_temporary_home

# The process holds back or handles SIGTERM (bit 15 of the blocked or caught signal
# masks): it runs our code. Before that, a stop ends any program by the signal's
# default action, and on a busy machine the shell's child can take longer than the
# shortest delays below just to become the program.
takes_its_stops() {
  local blocked caught
  blocked=$(awk '/^SigBlk:/ { print $2 }' "/proc/$1/status") || return 1
  caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$1/status") || return 1
  (((0x$blocked | 0x$caught) & 0x4000))
}

stop_after() {
  "$HOST" -root 2>>"$WORK/host.log" &
  local pid=$!
  wait_for 10 takes_its_stops "$pid" || fail "the host never took SIGTERM in hand"
  sleep "$1"
  kill -TERM "$pid"
  if ! wait_for 10 bash -c "! kill -0 $pid"; then
    kill -9 "$pid"
    fail "the host ignored a SIGTERM sent $1 s after its start"
  fi
  wait "$pid"
}

statuses=()
for delay in 0.005 0.01 0.02 0.03 0.05 0.1; do
  status=0
  stop_after "$delay" || status=$?
  statuses+=("$delay s: $status")
  [[ $status == 0 ]] || fail "stopped $delay s after its start, the host ended with status $status (${statuses[*]})"
done
note "SIGTERM early in the start: ${statuses[*]}"

# Once running, the stop still goes through the view's own stop.
"$HOST" -root 2>"$WORK/late.log" &
late=$!
wait_for 20 grep -q "✅ Finished loading." "$WORK/late.log" || fail "the page did not load: $(cat "$WORK/late.log")"
kill -TERM "$late"
wait "$late" || fail "a stop after the start ended with status $?"
grep -q "🛑 screenSaverWillStop" "$WORK/late.log" || fail "the view did not hear the stop"
note "a stop after the page loaded: status 0 with the view's stop line"
