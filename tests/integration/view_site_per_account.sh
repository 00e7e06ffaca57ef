#!/usr/bin/env bash
# Two accounts on one machine: the other account holds the view site's address first,
# once with a look-alike server that answers like ours and serves a "HACKED" page,
# once with the real site program serving its own cache with a planted script. In both,
# the victim's wallpaper and screen saver show its own site's heat map, the other
# account's server never hears a page request from them, and the log names who holds
# the address. All traffic stays on loopback.
source "$(dirname "$0")/lib.sh"
prefix=${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}
start_display 1280x800x24
origin=$SITE_ORIGIN
port=$TEST_SITE_PORT

# The other account first: its variables are kept before the victim's are set up.
use_unprivileged_account "$prefix-site-other"
other=$account other_home=$home other_runtime=$runtime other_uid=$(id -u "$account")
use_unprivileged_account "$prefix-site-own"
victim_uid=$(id -u "$account")
# The screen saver reads the settings under the home the user database names.
usermod -d "$home" "$account"
mkdir -p "$(dirname "$(settings_file "$home")")"
printf '{"firstLaunchDone": true, "selectedViewID": "sp500_heatmap"}\n' >"$(settings_file "$home")"
chown -R "$account" "$home"
as_other() {
  setpriv --reuid="$other" --regid="$(id -g "$other")" --init-groups \
    env -i PATH=/usr/bin:/bin HOME="$other_home" XDG_RUNTIME_DIR="$other_runtime" "$@"
}

# A command run through as_account in the background is a subshell: its tree is ended,
# and waited for.
end_tree() {
  local pids
  pids=$(process_tree "$1")
  kill $pids 2>/dev/null || true
  # shellcheck disable=SC2086
  wait_for 10 bash -c 'for p; do kill -0 "$p" 2>/dev/null && exit 1; done; exit 0' _ $pids || fail "$(echo $pids) did not end"
}
# The heat map fills at least a third of WINDOW (a fresh window: nothing is left in it
# from an earlier run).
heat_map_in() { import -window "$1" "$WORK/shot.png" 2>/dev/null && at_least "$(tile_share "$WORK/shot.png")" 0.3; }
heat_map_on_wallpaper() { local id; id=$(wallpaper_window) && heat_map_in "$id"; }
held_line="⚠️ View site: another account (uid $other_uid) holds $origin; the views come from this account's own site at http://127.0.0.1:[0-9]*, never from it"

# The victim's wallpaper, then its screen saver, each checked to show the heat map of
# its own site and to name the holder once. NAME says which case.
victim_sees_its_own_site() {
  local name=$1 app host
  as_account DISPLAY="$DISPLAY" GDK_BACKEND=x11 "$APP" >"$WORK/$name-app.log" 2>&1 &
  app=$!
  track $app
  wait_for 40 heat_map_on_wallpaper || fail "$name: the wallpaper does not show the own heat map: $(cat "$WORK/$name-app.log")"
  [[ $(grep -c "$held_line\$" "$WORK/$name-app.log") == 1 ]] || fail "$name: no single line naming the holder: $(cat "$WORK/$name-app.log")"
  end_tree "$app"

  # Nothing is left on the screen from the runs before.
  ! heat_map_in root || fail "$name: a heat map is on the screen before the screen saver starts"
  as_account DISPLAY="$DISPLAY" GDK_BACKEND=x11 "$WORK/stage/bin/$TAVELO_HOST_PROGRAM_NAME" --root >"$WORK/$name-saver.log" 2>&1 &
  host=$!
  track $host
  wait_for 40 grep -q "✅ Finished loading." "$WORK/$name-saver.log" || fail "$name: the screen saver loaded nothing: $(cat "$WORK/$name-saver.log")"
  wait_for 20 heat_map_in root || fail "$name: the screen saver does not show the own heat map"
  [[ $(grep -c "$held_line\$" "$WORK/$name-saver.log") == 1 ]] || fail "$name: the screen saver did not name the holder: $(cat "$WORK/$name-saver.log")"
  end_tree "$host"
}

note "a look-alike server of the other account on the site's address"
evil="$WORK/evil"
mkdir -p "$evil/.well-known"
printf '{"service": "%s", "version": "9"}\n' "$TAVELO_SITE_PROGRAM_NAME" >"$evil/.well-known/$TAVELO_SITE_PROGRAM_NAME"
cat >"$evil/view.html" <<'HTML'
<!doctype html><body style="margin:0;background:#888;color:#fff"><h1 style="font-size:200px">HACKED</h1></body>
HTML
chmod -R a+rX "$evil"
as_other python3 -m http.server "$port" --bind 127.0.0.1 --directory "$evil" >"$WORK/evil.log" 2>&1 &
track $!
wait_for 10 curl -fsS -o /dev/null "$origin/.well-known/$TAVELO_SITE_PROGRAM_NAME" || fail "the look-alike did not start"
[[ "$(python3 -c 'import json,sys; print(json.load(sys.stdin)["service"])' < <(curl -fsS "$origin/.well-known/$TAVELO_SITE_PROGRAM_NAME"))" == "$TAVELO_SITE_PROGRAM_NAME" ]] ||
  fail "the look-alike does not answer like the site"
victim_sees_its_own_site look-alike
! grep -q "GET /view.html" "$WORK/evil.log" || fail "the victim asked the look-alike for a page: $(cat "$WORK/evil.log")"
record="$runtime/$TAVELO_PROGRAM_NAME/view-site.json"
[[ "$(stat -c %u "$record")" == "$victim_uid" ]] || fail "the victim's site recorded nothing of its own"
kill "$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["pid"])' "$record")"
wait_for 10 bash -c "[[ ! -e '$record' ]]" || fail "the site left its record behind"
pkill -u "$other" -f "http.server" || true
wait_for 10 bash -c "! ss -Hltn 'sport = :$port' | grep -q ." || fail "the look-alike did not end"

note "the other account's real site, with a script planted in its own cache"
cache="$other_home/.cache/$TAVELO_PROGRAM_NAME/site-data"
mkdir -p "$cache"
printf 'document.body.style.background = "red";\n' >"$cache/sp500.js"
printf '{"source": "planted", "updatedAt": "2026-01-01T00:00:00Z", "companies": []}\n' >"$cache/sp500.json"
chown -R "$other" "$other_home"
as_other "$WORK/stage/bin/$TAVELO_SITE_PROGRAM_NAME" --listen "127.0.0.1:$port" --data "$cache" --no-data-job \
  >"$WORK/other-site.log" 2>&1 &
track $!
wait_for 10 curl -fsS -o /dev/null "$origin/view.html" || fail "the other account's site did not start: $(cat "$WORK/other-site.log")"
[[ $(curl -s -o /dev/null -w '%{http_code}' "$origin/data/sp500.js") == 404 ]] || fail "the planted script is served"
victim_sees_its_own_site real-site
echo "PASS view site per account"
