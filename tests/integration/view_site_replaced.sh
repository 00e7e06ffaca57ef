#!/usr/bin/env bash
# The application's own view site stops answering (stopped with SIGSTOP, as a site out
# of descriptors would be silent): the application notices within its check interval,
# ends that site, starts another, loads the page from it, and says so.
source "$(dirname "$0")/lib.sh"
use_heat_map_home
record="$XDG_RUNTIME_DIR/$TAVELO_PROGRAM_NAME/view-site.json"
recorded() { python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))[sys.argv[2]])' "$record" "$1"; }

"$APP" 2>"$WORK/app.log" &
app=$!
track $app
wait_for 30 grep -q "View site started at" "$WORK/app.log" || fail "the application started no site: $(cat "$WORK/app.log")"
wait_for 10 test -s "$record" || fail "the site recorded nothing"
old_pid=$(recorded pid)
old_port=$(recorded port)
kill -STOP "$old_pid"
wait_for 90 grep -q "⚠️ View site: this account's site at http://127.0.0.1:$old_port stopped answering; replacing it" "$WORK/app.log" ||
  fail "the silent site was not replaced: $(cat "$WORK/app.log")"
grep -q "⚠️ The view site stopped answering; loading the page again." "$WORK/app.log" || fail "the page was not loaded again"
wait_for 10 bash -c "! kill -0 $old_pid 2>/dev/null" || fail "the silent site was left running"
wait_for 20 bash -c "[[ -s '$record' && \$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))[\"pid\"])' '$record') != $old_pid ]]" ||
  fail "no new site recorded itself"
curl -fsS -o /dev/null "http://127.0.0.1:$(recorded port)/view.html" || fail "the new site does not answer"
echo "PASS view site replaced"
