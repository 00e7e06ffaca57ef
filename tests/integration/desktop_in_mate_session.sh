#!/usr/bin/env bash
# A whole MATE desktop as a user logs into it: mate-session starts marco, mate-panel
# (MATE's default panels, with their notification area) and caja, whose desktop hides
# the live view. The application asks once, on screen, whether to turn caja's desktop
# off; once it is off the live view shows under both panels on every workspace, the
# panel's notification area holds the Tavelo item, and the tray menu brings caja's
# desktop back as it was. caja draws no desktop for root, so the session and the
# application run as an unprivileged account, on a session bus of their own.
source "$(dirname "$0")/wm_lib.sh"
source "$(dirname "$0")/tray_lib.sh"
source "$(dirname "$0")/session_lib.sh"
needs_program mate-session marco mate-panel caja
use_unprivileged_account "${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-mate-test"

start_display
start_site
use_temporary_home
# The account's own home: the settings the application reads and writes live there.
export HOME="$home"
mkdir -p "$home/Desktop" "$(dirname "$(settings_file)")"
# Written by the test before the application starts, and kept the account's own.
touch "$(settings_file)"
echo "a note" >"$home/Desktop/notes.txt"
chown -R "$account" "$home"

# The session's bus, reached as the account (a session bus lets in its own user only).
bus_address_file="$runtime/bus-address"
as_account DISPLAY="$DISPLAY" dbus-run-session -- bash -c \
  'echo "$DBUS_SESSION_BUS_ADDRESS" >"$XDG_RUNTIME_DIR/bus-address.new" &&
   mv "$XDG_RUNTIME_DIR/bus-address.new" "$XDG_RUNTIME_DIR/bus-address"; exec mate-session' >"$WORK/session.log" 2>&1 &
track $!
wait_for 30 test -s "$bus_address_file" || fail "the session's bus did not start: $(tail -5 "$WORK/session.log")"
session_bus=$(<"$bus_address_file")
gdbus() { as_account DBUS_SESSION_BUS_ADDRESS="$session_bus" gdbus "$@"; }
# The application as the session starts its programs. It replaces the shell it runs
# in (so that `$!` is the application), so it runs in the background only.
becomes_session_program() {
  exec setpriv --reuid="$account" --regid="$(id -g "$account")" --init-groups \
    env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$runtime" NO_AT_BRIDGE=1 DISPLAY="$DISPLAY" \
    DBUS_SESSION_BUS_ADDRESS="$session_bus" XDG_CURRENT_DESKTOP=MATE \
    TAVELO_TEST_VIEW_SITE_ORIGIN="$TAVELO_TEST_VIEW_SITE_ORIGIN" "$@"
}
APP_RUNNER=becomes_session_program

panels=$(settled 60 session_panels mate-panel 2) || fail "mate-panel showed no panels: $(tail -5 "$WORK/session.log")"

# The panel's notification area applet, a process of its own, hosts the tray.
while_icon_desktop_off() { check_session_over_the_view MATE caja "$panels" notification-ar; }

# mate-session has started caja already: the start command only waits for its desktop.
check_icon_desktop_turned_off caja caja true
grep -q "Told caja to turn its desktop off (gsettings set org.mate.background show-desktop-icons false)" "$WORK/app.log" ||
  fail "caja's desktop was not turned off through MATE's setting: $(cat "$WORK/app.log")"
echo "PASS"
