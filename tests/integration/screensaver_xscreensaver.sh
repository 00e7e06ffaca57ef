#!/usr/bin/env bash
# Real XScreenSaver, run by an unprivileged account (it refuses root), installed the
# way a user does it: the account's XScreenSaver runs random hacks from a settings file
# of its own; the application's first launch asks to install the screen saver and the
# default buttons confirm. Then ours is the screen saver in use (mode one, selected),
# every other line of the file is as it was, and activation shows our page inside
# XScreenSaver's window; deactivation sends SIGTERM and the host goes with its stop lines.
set -euo pipefail
source "$(dirname "$0")/screensaver_lib.sh"

if ((EUID != 0)); then
    echo "SKIP: needs root to create the unprivileged test account"
    exit 77
fi
if ! command -v xscreensaver >/dev/null || ! command -v xscreensaver-command >/dev/null; then
    echo "SKIP: XScreenSaver is not installed"
    exit 77
fi
ACCOUNT=${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-saver-test
add_test_account "$ACCOUNT" --home-dir "/var/tmp/$ACCOUNT-home"
ACCOUNT_HOME=$(getent passwd "$ACCOUNT" | cut -d: -f6)
# Whatever the account still runs at the end (session buses, accessibility helpers of
# the application's run) belongs to this test.
trap 'pkill -KILL -u "$ACCOUNT" 2>/dev/null || true; cleanup' EXIT
rm -rf "$ACCOUNT_HOME"
mkdir -p "$ACCOUNT_HOME/.run"
chmod 700 "$ACCOUNT_HOME/.run"
# The user's own settings: random hacks, none of them ours.
cat >"$ACCOUNT_HOME/.xscreensaver" <<'SETTINGS'
# XScreenSaver Preferences File
timeout:	0:30:00
lock:		False
splash:		False
fade:		False
unfade:		False
mode:		random
selected:	-1

programs:								      \
				maze -root				    \n\
				attraction -root			    \n\
-				deco -root				    \n

pointerHysteresis:  10
SETTINGS
cp "$ACCOUNT_HOME/.xscreensaver" "$WORK/xscreensaver.before"
# The account runs a copy: the build may sit where only its owner can enter. The
# application registers the host beside it, so the copy's host is the one listed.
stage_for_account "$TAVELO_BUILD_DIR" "$WORK/stage"
chown -R "$ACCOUNT:" "$ACCOUNT_HOME"

start_xvfb
as_account() {
    setpriv --reuid="$ACCOUNT" --regid="$ACCOUNT" --init-groups -- env -i DISPLAY="$DISPLAY" PATH=/usr/bin:/bin \
        TAVELO_TEST_VIEW_SITE_ORIGIN="$TAVELO_TEST_VIEW_SITE_ORIGIN" XDG_CONFIG_HOME="$XDG_CONFIG_HOME" XDG_CACHE_HOME="$XDG_CACHE_HOME" \
        HOME="$ACCOUNT_HOME" XDG_RUNTIME_DIR="$ACCOUNT_HOME/.run" NO_AT_BRIDGE=1 "$@"
}

as_account xscreensaver -no-splash >"$WORK/xscreensaver.log" 2>&1 &
PIDS_TO_END+=($!)
for _ in $(seq 100); do
    as_account xscreensaver-command -time >/dev/null 2>&1 && break
    sleep 0.1
done

# A window manager, so that the alerts can be answered as a user does.
openbox --sm-disable >/dev/null 2>&1 &
PIDS_TO_END+=($!)
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break; sleep 0.1; done

# The first launch of the application: its question, the installer's confirmation and
# its report, each answered with the default button.
alert_window() {
    local id
    for id in $(xdotool search --onlyvisible --name "^$TAVELO_PRODUCT_NAME\$" 2>/dev/null); do
        xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DIALOG && { echo "$id"; return 0; }
    done
    return 1
}
as_account env GDK_BACKEND=x11 dbus-run-session -- "$WORK/stage/bin/$TAVELO_PROGRAM_NAME" >"$WORK/app.log" 2>&1 &
app=$!
PIDS_TO_END+=($app)
for alert in question confirmation report; do
    for _ in $(seq 150); do alert_window >/dev/null && break; sleep 0.2; done
    id=$(alert_window) || { cat "$WORK/app.log" >&2; fail "no $alert alert"; }
    for _ in $(seq 50); do xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && break; sleep 0.1; done
    xdotool windowactivate --sync "$id" key Return
    for _ in $(seq 50); do xwininfo -id "$id" 2>/dev/null | grep -q IsViewable || break; sleep 0.1; done
done
grep -q "✅ Screen saver registered with XScreenSaver" "$WORK/app.log" || fail "not registered: $(cat "$WORK/app.log")"
pkill -TERM -P $app 2>/dev/null || true
kill $app 2>/dev/null || true
for _ in $(seq 100); do pgrep -u "$ACCOUNT" -x "${TAVELO_HOST_PROGRAM_NAME:0:15}" >/dev/null || break; sleep 0.1; done

# Ours is the fourth entry (maze, attraction, the disabled deco, ours): index 3.
settings="$ACCOUNT_HOME/.xscreensaver"
grep -qxF "mode:		one" "$settings" || fail "mode is not one: $(cat "$settings")"
grep -qxF "selected:	3" "$settings" || fail "ours is not selected: $(cat "$settings")"
grep -qE "bin/$TAVELO_HOST_PROGRAM_NAME'? --root" "$settings" || fail "ours is not listed: $(cat "$settings")"
diff <(grep -vE '^(mode|selected):' "$WORK/xscreensaver.before" | sed 's/\\n$/\\n\\/') \
    <(grep -vE "^(mode|selected):|$TAVELO_HOST_PROGRAM_NAME" "$settings") >/dev/null ||
    fail "other lines of the file changed: $(diff "$WORK/xscreensaver.before" "$settings")"

# XScreenSaver's description of the hack shows no entities: its settings tool escapes
# the decoded text once more, so it must not contain & < or >.
python3 - "$TAVELO_BUILD_DIR/xscreensaver/$TAVELO_HOST_PROGRAM_NAME.xml" <<'PY' || fail "the description has characters XScreenSaver shows escaped"
import sys, xml.etree.ElementTree as ET
text = ET.parse(sys.argv[1]).getroot().find("_description").text
sys.exit(1 if any(c in text for c in "&<>") else 0)
PY

as_account xscreensaver-command -activate >/dev/null
wait_for_line "$WORK/xscreensaver.log" "✅ Finished loading." 40
hack=$(pgrep -u "$ACCOUNT" -x "${TAVELO_HOST_PROGRAM_NAME:0:15}" || pgrep -u "$ACCOUNT" -f "bin/$TAVELO_HOST_PROGRAM_NAME" | head -1)
[[ -n "$hack" ]] || fail "no running hack"
shot_until_drawn "$SHOTS/xscreensaver.png" 1920x1080+0+0

as_account xscreensaver-command -deactivate >/dev/null
for _ in $(seq 50); do
    kill -0 "$hack" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$hack" 2>/dev/null && fail "the hack outlived the deactivation"
wait_for_line "$WORK/xscreensaver.log" "🛑 stopAnimation called, cleaning up WebView" 5
[[ "$(log_texts "$WORK/xscreensaver.log" | grep '^🛑' | head -2)" == \
    $'🛑 screenSaverWillStop\n🛑 stopAnimation called, cleaning up WebView' ]] ||
    fail "stop lines: $(grep '🛑' "$WORK/xscreensaver.log")"
cp "$WORK/xscreensaver.log" "$SHOTS/xscreensaver.log"
as_account xscreensaver-command -exit >/dev/null 2>&1 || true
rm -rf "$ACCOUNT_HOME"
echo "PASS"
