#!/usr/bin/env bash
# Real XScreenSaver, run by an unprivileged account (it refuses root), with the
# generated programs line: activation runs the host inside XScreenSaver's window and
# shows the page; deactivation sends SIGTERM and the host goes with its stop lines.
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
if ! id -u "$ACCOUNT" >/dev/null 2>&1; then
    useradd --system --no-create-home --home-dir /var/tmp/$ACCOUNT-home --shell /usr/sbin/nologin "$ACCOUNT"
fi
ACCOUNT_HOME=$(getent passwd "$ACCOUNT" | cut -d: -f6)
rm -rf "$ACCOUNT_HOME"
mkdir -p "$ACCOUNT_HOME/.run"
chmod 700 "$ACCOUNT_HOME/.run"
# The account runs a copy: the build may sit where only its owner can enter. The
# generated programs line names the built host; it runs the copy instead.
stage_for_account "$TAVELO_BUILD_DIR" "$WORK/stage"
programs=$(<"$TAVELO_BUILD_DIR/xscreensaver/programs")
programs=${programs//"$TAVELO_BUILD_DIR/bin/"/"$WORK/stage/bin/"}
[[ "$programs" == *"$WORK/stage/bin/tavelo-live-wallpaper-screensaver"* ]] || fail "no host in the programs line: $programs"
{
    echo "timeout: 0:30:00"
    echo "lock: False"
    echo "splash: False"
    echo "fade: False"
    echo "unfade: False"
    echo "mode: one"
    echo "selected: 0"
    echo "programs: \\"
    echo "$programs"
    echo ""
} >"$ACCOUNT_HOME/.xscreensaver"
chown -R "$ACCOUNT:" "$ACCOUNT_HOME"

start_xvfb
as_account() {
    setpriv --reuid="$ACCOUNT" --regid="$ACCOUNT" --init-groups -- env -i DISPLAY="$DISPLAY" PATH=/usr/bin:/bin \
        HOME="$ACCOUNT_HOME" XDG_RUNTIME_DIR="$ACCOUNT_HOME/.run" "$@"
}

as_account xscreensaver -no-splash >"$WORK/xscreensaver.log" 2>&1 &
PIDS_TO_END+=($!)
for _ in $(seq 100); do
    as_account xscreensaver-command -time >/dev/null 2>&1 && break
    sleep 0.1
done
as_account xscreensaver-command -activate >/dev/null
wait_for_line "$WORK/xscreensaver.log" "✅ Finished loading." 40
hack=$(pgrep -u "$ACCOUNT" -x tavelo-live-wal || pgrep -u "$ACCOUNT" -f "bin/tavelo-live-wallpaper-screensaver" | head -1)
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
