# Sourced after lib.sh (and use_unprivileged_account) by the tests on headless weston,
# a Wayland compositor without layer-shell: the compositor runs as the test account.

# Headless weston has no input devices, hence no seat, and GTK's start-up on its Wayland
# display (before the restart through XWayland) asks that missing seat for a keyboard.
# A desktop always has a seat.
ACCEPTED_CRITICAL="gdk_seat_get_keyboard: assertion 'GDK_IS_SEAT \(seat\)' failed"

# start_weston SOCKET [xwayland]: headless weston with a 1280x720 output on the Wayland
# socket SOCKET, its log in $WORK/weston-SOCKET.log. With "xwayland" it runs XWayland
# too, and $xdisplay is left set to XWayland's X display.
start_weston() {
  local socket=$1 log="$WORK/weston-$1.log" options=()
  [[ "${2:-}" == xwayland ]] && options=(--xwayland)
  as_account weston --backend=headless-backend.so "${options[@]}" --width=1280 --height=720 \
    --socket="$socket" >"$log" 2>&1 &
  track $!
  if [[ "${2:-}" == xwayland ]]; then
    wait_for 15 grep -q "xserver listening on display" "$log" || fail "weston did not start: $(tail -5 "$log")"
    xdisplay=$(grep -oE 'listening on display :[0-9]+' "$log" | grep -oE ':[0-9]+')
  else
    wait_for 15 test -S "$runtime/$socket" || fail "weston without XWayland did not start: $(tail -5 "$log")"
  fi
}

