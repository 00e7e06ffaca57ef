#!/usr/bin/env bash
# The screen saver shows the view the application stored, read from the account's own
# home folder (the user database's, not $HOME), afresh at every start. Runs the host as
# an unprivileged account, as XScreenSaver would.
set -euo pipefail
source "$(dirname "$0")/screensaver_lib.sh"

if ((EUID != 0)); then
    echo "SKIP: needs root to create the unprivileged test account"
    exit 77
fi
ACCOUNT=${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-saver-view
add_test_account "$ACCOUNT" --home-dir "/var/tmp/$ACCOUNT-home"
ACCOUNT_HOME=$(getent passwd "$ACCOUNT" | cut -d: -f6)
CONFIG_DIR="$(dirname "$ACCOUNT_HOME/${TAVELO_SETTINGS_RELATIVE_PATH:?}")"
rm -rf "$ACCOUNT_HOME"
mkdir -p "$CONFIG_DIR" "$ACCOUNT_HOME/.run"
chmod 700 "$ACCOUNT_HOME/.run"
# The account runs a copy: the build may sit where only its owner can enter.
stage_for_account "$TAVELO_BUILD_DIR" "$WORK/stage"
HOST="$WORK/stage/bin/$TAVELO_HOST_PROGRAM_NAME"

# What the application writes when the user picks a view.
store_choice() {
    printf '{\n  "firstLaunchDone": true,\n  "selectedViewID": "%s"\n}\n' "$1" >"$CONFIG_DIR/config.json"
    chown -R "$ACCOUNT:" "$ACCOUNT_HOME"
}

start_xvfb
open_target screen 1920 1080 0 0

# run_as_account NAME: shows the screen saver until the page has finished, takes a shot.
run_as_account() {
    local name=$1
    # setpriv executes the host in place: the pid below is the host's own.
    setpriv --reuid="$ACCOUNT" --regid="$ACCOUNT" --init-groups -- env -i DISPLAY="$DISPLAY" PATH=/usr/bin:/bin \
        TAVELO_TEST_VIEW_SITE_ORIGIN="$TAVELO_TEST_VIEW_SITE_ORIGIN" XDG_CONFIG_HOME="$XDG_CONFIG_HOME" XDG_CACHE_HOME="$XDG_CACHE_HOME" HOME=/tmp/not-the-account-home \
        XDG_RUNTIME_DIR="$ACCOUNT_HOME/.run" XSCREENSAVER_WINDOW="$TARGET_screen" "$HOST" -root \
        >"$WORK/$name.log" 2>&1 &
    local host=$!
    PIDS_TO_END+=($host)
    wait_for_line "$WORK/$name.log" "✅ Finished loading." 40
    shot_until_drawn "$SHOTS/selected-$name.png" 1920x1080+0+0
    shot_when_still "$SHOTS/selected-$name.png"
    kill -TERM "$host"
    wait_for_exit "$host" 3
    ((EXIT_STATUS == 0)) || fail "$name: exit status $EXIT_STATUS"
}

store_choice crypto_chart
run_as_account chart
log_texts "$WORK/chart.log" | grep -qxF "🖼 Screensaver config path: $CONFIG_DIR/config.json" ||
    fail "the config was not looked for in the account's home: $(grep '🖼' "$WORK/chart.log")"
log_texts "$WORK/chart.log" | grep -qxF "✅ Screensaver: loaded viewID = crypto_chart" || fail "crypto_chart not read"

# Chosen again in the application: the next start shows the new choice.
store_choice crypto_bubbles
run_as_account bubbles
log_texts "$WORK/bubbles.log" | grep -qxF "✅ Screensaver: loaded viewID = crypto_bubbles" || fail "crypto_bubbles not read"

difference=$(compare -metric AE "$SHOTS/selected-chart.png" "$SHOTS/selected-bubbles.png" null: 2>&1 |
    awk '{print int($1)}' || true)
((difference > 1000)) || fail "the two views look the same ($difference pixels differ)"
for shot in chart bubbles; do
    colours=$(colours_in "$SHOTS/selected-$shot.png" 1920x1080+0+0)
    ((colours > 16)) || fail "$shot: nothing drawn ($colours colours)"
done
rm -rf "$ACCOUNT_HOME"
echo "PASS"
