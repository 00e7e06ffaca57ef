# Helpers for the desktop-layer tests: a named window manager on the test's display,
# client windows and docks to stack against, and the checks a user would make:
# stacking order, what a screenshot shows, workspaces, focus, taskbar, clicks.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

CLIENT_WINDOW="$BUILD_DIR/bin/tavelo-test-x-client-window"

needs_program() {
  local program
  for program in "$@"; do
    command -v "$program" >/dev/null || { echo "SKIP: $program is not installed"; exit 77; }
  done
}

wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }

# start_named_window_manager NAME: openbox, xfwm4, i3, fluxbox, mutter, marco, kwin_x11, icewm, awesome
# or dwm.
start_named_window_manager() {
  local name=$1
  case "$name" in
    openbox) openbox --sm-disable >"$WORK/wm.log" 2>&1 & ;;
    xfwm4) xfwm4 --sm-client-disable >"$WORK/wm.log" 2>&1 & ;;
    i3)
      mkdir -p "$WORK/i3"
      cat >"$WORK/i3/config" <<'I3'
# i3 config file (v4)
font pango:DejaVu Sans 10
bar {
  position top
  status_command true
}
I3
      i3 -c "$WORK/i3/config" >"$WORK/wm.log" 2>&1 &
      ;;
    fluxbox)
      # No background of fluxbox's own: setting one fails here and opens a message box.
      mkdir -p "$HOME/.fluxbox"
      echo "background: none" >"$HOME/.fluxbox/overlay"
      fluxbox >"$WORK/wm.log" 2>&1 &
      ;;
    mutter) mutter --x11 --replace --sm-disable >"$WORK/wm.log" 2>&1 & ;;
    # MATE's own manager, compositing as MATE ships it.
    marco) marco --sm-disable >"$WORK/wm.log" 2>&1 & ;;
    kwin_x11)
      # Two workspaces, as a Plasma session has (KWin starts with one); KWin wants a
      # session bus of its own for its shortcuts service.
      mkdir -p "$HOME/.config"
      printf '[Desktops]\nNumber=2\nRows=1\n' >"$HOME/.config/kwinrc"
      dbus-run-session -- kwin_x11 --replace >"$WORK/wm.log" 2>&1 &
      ;;
    icewm) icewm >"$WORK/wm.log" 2>&1 & ;;
    awesome)
      # Its own session bus: awesome's notification daemon would take the test's.
      dbus-run-session -- awesome >"$WORK/wm.log" 2>&1 &
      ;;
    dwm) dwm >"$WORK/wm.log" 2>&1 & ;;
    *) fail "no such window manager: $name" ;;
  esac
  track $!
  wait_for 20 wm_running || fail "$name did not start: $(tail -5 "$WORK/wm.log")"
  # A manager names itself on its check window once it has taken the screen over.
  wait_for 20 wm_named || fail "$name did not finish starting: $(tail -5 "$WORK/wm.log")"
}
wm_named() {
  local check
  check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -oE '0x[0-9a-f]+') &&
    xprop -id "$check" _NET_WM_NAME 2>/dev/null | grep -q '= "'
}

# A client window: client_window NAME normal|dock 0xRRGGBB W H X Y. Its id is left in
# $client_id (not printed: the window must belong to this shell, not a subshell).
# `tell_client_window NAME lower` makes it lower itself.
client_window() {
  local name=$1 input
  mkfifo "$WORK/$name.in"
  "$CLIENT_WINDOW" "$@" <"$WORK/$name.in" >"$WORK/$name.id" 2>"$WORK/$name.err" &
  track $!
  # Held open by the test, the input never ends: the window stays until the cleanup.
  exec {input}>"$WORK/$name.in"
  printf -v "_client_input_${name//-/_}" '%s' "$input"
  wait_for 10 test -s "$WORK/$name.id" || fail "client window $name did not start: $(cat "$WORK/$name.err")"
  client_id=$(cat "$WORK/$name.id")
  wait_for 10 viewable "$client_id" || fail "client window $name was not mapped"
}

tell_client_window() {
  local fd_name="_client_input_${1//-/_}"
  echo "$2" >&"${!fd_name}"
}

# The XWayland display that a Wayland compositor run by the test account started, found
# by its process and its authority file; `x` runs a command as the account on it.
use_account_xwayland() {  # use_account_xwayland SECONDS
  xdisplay=$(pgrep -u "$account" -a -x Xwayland | grep -oE ' :[0-9]+' | head -1 | tr -d ' ')
  xauthority=$(ls "$runtime"/.mutter-Xwaylandauth.* | head -1)
  wait_for "$1" x xprop -root _NET_SUPPORTING_WM_CHECK || fail "XWayland $xdisplay did not answer"
}
x() { as_account DISPLAY="$xdisplay" XAUTHORITY="$xauthority" "$@"; }

# client_window's arguments, the window opened as the test account on that XWayland;
# tell_client_window NAME reaches it too.
account_client_window() {
  local name=$1 input
  mkfifo "$WORK/$name.in"
  x "$CLIENT_WINDOW" "$@" <"$WORK/$name.in" >"$WORK/$name.id" 2>&1 &
  track $!
  exec {input}>"$WORK/$name.in"
  printf -v "_client_input_${name//-/_}" '%s' "$input"
  wait_for 10 test -s "$WORK/$name.id" || fail "client window $name did not start: $(cat "$WORK/$name.id")"
  client_id=$(cat "$WORK/$name.id")
}

viewable() { xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }

# The child of the root that holds a window: its frame, or itself when unmanaged.
toplevel_of() {
  local id=$1 parent root
  root=$(xwininfo -root | grep -oE 'Window id: 0x[0-9a-f]+' | grep -oE '0x[0-9a-f]+')
  while :; do
    parent=$(xwininfo -children -id "$id" | grep -oE 'Parent window id: 0x[0-9a-f]+' | grep -oE '0x[0-9a-f]+')
    [[ -n "$parent" ]] || return 1
    if ((parent == root)); then
      printf '0x%x\n' "$id"
      return 0
    fi
    id=$parent
  done
}

# Positions in the root's stacking order, 1 for the topmost, of the windows' toplevels,
# read from one listing: two listings may straddle a window mapped above both (a manager
# starting up maps many), which shifts one window and not the other.
stacking_positions() {
  local id top listing position positions=() tops=()
  for id; do
    top=$(toplevel_of "$id") || return 1
    tops+=("$top")
  done
  listing=$(xwininfo -root -children | grep -oE '^ +0x[0-9a-f]+' | tr -d ' ')
  for top in "${tops[@]}"; do
    position=$(grep -n -x -i "$top" <<<"$listing" | cut -d: -f1)
    [[ -n "$position" ]] || return 1
    positions+=("$position")
  done
  echo "${positions[*]}"
}
stacking_position() { stacking_positions "$1"; }

# is_below LOWER UPPER: LOWER lies under UPPER in the root's stacking order.
is_below() {
  local positions lower upper
  positions=$(stacking_positions "$1" "$2") || return 1
  read -r lower upper <<<"$positions"
  ((lower > upper))
}
# expect_below LOWER UPPER WHAT: LOWER lies below UPPER, or comes to within a few seconds
# (the wallpaper restacks itself once it learns of a new or lowered window).
expect_below() {
  local positions lower upper
  wait_for 10 is_below "$1" "$2" && return 0
  viewable "$1" || fail "$3: window $1 is gone"
  viewable "$2" || fail "$3: window $2 is gone"
  positions=$(stacking_positions "$1" "$2") || fail "$3: the windows left the stacking order"
  read -r lower upper <<<"$positions"
  fail "the wallpaper is not below $3 (positions from the top: wallpaper $lower, $3 $upper; windows $1 and $2 in $(toplevel_of "$1") and $(toplevel_of "$2"))"
}

expect_covers_screen() {
  local info
  info=$(xwininfo -id "$1")
  grep -q "Absolute upper-left X:  0$" <<<"$info" && grep -q "Absolute upper-left Y:  0$" <<<"$info" &&
    grep -q "Width: 1920" <<<"$info" && grep -q "Height: 1080" <<<"$info" ||
    fail "the wallpaper does not cover the screen: $info"
}

# The wallpaper takes no focus and is listed by no taskbar: either the manager does
# not manage it at all, or it carries the skip-taskbar state.
expect_not_in_taskbar() {
  local id=$1 listed
  listed=$(xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -oE '0x[0-9a-f]+' || true)
  if grep -qi -x "$(printf '0x%x' "$id")" <<<"$listed"; then
    xprop -id "$id" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR || fail "the wallpaper is in the taskbar"
  fi
}

# click_beside_windows_keeps_focus_off_wallpaper WINDOW X Y: a click on the bare desktop,
# then one on WINDOW (at X Y); the manager handles clicks in order, so once WINDOW is
# active the first click has been handled, and the wallpaper must never have been
# active in between.
click_beside_windows_keeps_focus_off_wallpaper() {
  local window=$1 active_log="$WORK/active-windows.log"
  xprop -root -spy _NET_ACTIVE_WINDOW >"$active_log" 2>&1 &
  track $!
  wait_for 5 test -s "$active_log" || fail "cannot follow the active window"
  xdotool mousemove 1800 900 click 1
  xdotool mousemove "$2" "$3" click 1
  window_became_active() { grep -qi "$(printf '0x%x' "$window")\b" "$active_log"; }
  wait_for 10 window_became_active || note "the manager does not make a clicked window active; checking focus only"
  ! grep -qi "$(printf '0x%x' "$wallpaper")\b" "$active_log" || fail "a click on the desktop made the wallpaper active"
  expect_not_focused "$wallpaper"
}

expect_not_focused() {
  local focus
  focus=$(xdotool getwindowfocus 2>/dev/null || echo 0)
  ((focus != $1)) || fail "the wallpaper has the keyboard focus"
}

# "R G B" on the screen now.
screen_pixel() {
  import -window root "$WORK/pixel.png"
  pixel_at "$WORK/pixel.png" "$1" "$2"
}

screen_shot() {
  # A window that maps or goes away while the screen is read (a menu that opens) can
  # make one reading fail: the picture is the one the screen gives next.
  wait_for 10 root_window_shot "$1" || fail "no picture of the screen for $1: $(tail -2 "$WORK/shot-error.log" 2>/dev/null)"
  keep_screen_shot "$1"
}

# keep_screen_shot NAME: a copy of $WORK/NAME.png in the build folder, to look at after the test.
keep_screen_shot() { cp "$WORK/$1.png" "$BUILD_DIR/$1.png"; }

# A mapped window smaller than the screen that holds the point X Y: a menu a click
# there opened (menus open at, or centred on, the pointer).
menu_window_at() {
  local id info x y w h
  for id in $(xwininfo -root -children | grep -oE '^ +0x[0-9a-f]+'); do
    info=$(xwininfo -id "$id" 2>/dev/null) || continue
    grep -q "Map State: IsViewable" <<<"$info" || continue
    x=$(grep 'Absolute upper-left X' <<<"$info" | grep -oE -- '-?[0-9]+$')
    y=$(grep 'Absolute upper-left Y' <<<"$info" | grep -oE -- '-?[0-9]+$')
    w=$(grep 'Width:' <<<"$info" | grep -oE '[0-9]+$')
    h=$(grep 'Height:' <<<"$info" | grep -oE '[0-9]+$')
    ((w < 1920 && x <= $1 && $1 < x + w && y <= $2 && $2 < y + h)) && return 0
  done
  return 1
}

# right_click_opens_menu X Y WHAT: nothing but the desktop is at X Y, and a right click there opens a menu.
right_click_opens_menu() {
  ! menu_window_at "$1" "$2" || fail "a window already covers $1,$2"
  xdotool mousemove "$1" "$2" click 3
  wait_for 20 menu_window_at "$1" "$2" || {
    screen_shot "no-menu"
    fail "a right click on the desktop did not open $3 (screen: $BUILD_DIR/no-menu.png; $(xwininfo -root -children | grep -c '^ *0x') windows)"
  }
}

# listen_on_root: xev reports the root window's button events into root-events.log.
# reaches_root BUTTON: presses BUTTON where the pointer is and tells whether the root
# window heard it; xev listens only once it has started, so callers press until it does
# (`wait_for 10 reaches_root 1`); extra presses on the bare root are harmless.
listen_on_root() {
  xev -root -event button >"$WORK/root-events.log" 2>&1 &
  track $!
}
reaches_root() { xdotool click "$1"; grep -q "button $1," "$WORK/root-events.log"; }

# settled SECONDS COMMAND...: what COMMAND prints once it succeeds. A search through
# every window can fail while another program replaces windows, so one failure
# after a success is no verdict.
settled() {
  local result deadline=$((SECONDS + $1))
  shift
  until result=$("$@" 2>/dev/null); do
    ((SECONDS < deadline)) || return 1
    sleep 0.2
  done
  echo "$result"
}

# A later launch: no first-launch prompt in front of the windows under test.
settle_first_launch() {
  mkdir -p "$(dirname "$(settings_file)")"
  echo '{"selectedViewID": "crypto_bubbles", "firstLaunchDone": true}' >"$(settings_file)"
}

start_wallpaper() {
  settle_first_launch
  "$APP" 2>"$WORK/app.log" &
  track $!
  wallpaper=$(settled 20 wallpaper_window) || fail "no wallpaper window: $(cat "$WORK/app.log")"
  wait_for 20 viewable "$wallpaper" || fail "the wallpaper was never mapped"
  wait_for 30 screen_shows_content || fail "the page was never drawn"
}

# The checks every window manager must pass, with a normal window and a dock mapped
# after the wallpaper; switch_workspace N switches as this manager's users do.
check_desktop_layer() {
  start_wallpaper
  check_running_desktop_layer "$1"
}

# The same checks on a wallpaper that runs already (its id in $wallpaper), with a
# normal window and a dock of their own.
check_running_desktop_layer() {
  local name=$1 normal dock
  expect_covers_screen "$wallpaper"
  note "$name: the wallpaper covers the 1920x1080 screen"

  client_window "normal-$name" normal 0xff0000 400 300 600 400
  normal=$client_id
  client_window "dock-$name" dock 0x00ff00 1920 30 0 0
  dock=$client_id
  expect_below "$wallpaper" "$normal" "a normal window"
  expect_below "$wallpaper" "$dock" "a dock"
  # The manager placed the window where it liked: find it and look at its middle.
  local geometry x y
  geometry=$(xwininfo -id "$normal")
  x=$(grep 'Absolute upper-left X' <<<"$geometry" | grep -oE -- '-?[0-9]+$')
  y=$(grep 'Absolute upper-left Y' <<<"$geometry" | grep -oE -- '-?[0-9]+$')
  screen_shot "desktop-under-$name"
  [[ "$(pixel_at "$WORK/desktop-under-$name.png" $((x + 200)) $((y + 150)))" == "255 0 0" ]] ||
    fail "the normal window does not show over the wallpaper (at $x,$y; see desktop-under-$name.png)"
  note "$name: the wallpaper lies below a normal window and a dock (screenshot desktop-under-$name.png)"

  expect_not_focused "$wallpaper"
  click_beside_windows_keeps_focus_off_wallpaper "$normal" $((x + 200)) $((y + 150))
  expect_not_in_taskbar "$wallpaper"
  note "$name: never focused, in no taskbar"

  switch_workspace 1
  # Compositing managers keep hidden windows mapped: look at the screen instead.
  normal_window_left() {
    screen_shot "desktop-under-$name-workspace-2" &&
      [[ "$(pixel_at "$WORK/desktop-under-$name-workspace-2.png" $((x + 200)) $((y + 150)))" != "255 0 0" ]]
  }
  wait_for 10 normal_window_left || fail "the manager did not switch workspaces"
  viewable "$wallpaper" || fail "the wallpaper is gone on the second workspace"
  picture_shows_content "$WORK/desktop-under-$name-workspace-2.png" || fail "the second workspace does not show the page"
  switch_workspace 0
  normal_window_back() {
    screen_shot "desktop-under-$name-workspace-1" &&
      [[ "$(pixel_at "$WORK/desktop-under-$name-workspace-1.png" $((x + 200)) $((y + 150)))" == "255 0 0" ]]
  }
  wait_for 10 normal_window_back || fail "the manager did not switch back to the first workspace"
  viewable "$wallpaper" || fail "the wallpaper is gone after returning to the first workspace"
  expect_below "$wallpaper" "$normal" "a normal window, back on the first workspace"
  note "$name: the wallpaper is on every workspace"
}

switch_workspace() { xdotool set_desktop "$1"; }

# The viewable desktop-type window of an icon program (by its class).
icon_layer_window() {
  local id
  for id in $(xdotool search --class "$1" 2>/dev/null); do
    xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DESKTOP && viewable "$id" &&
      { echo "$id"; return 0; }
  done
  return 1
}

# An icon program may replace its desktop window while it starts up (xfdesktop does):
# the same window twice, two seconds apart.
stable_icon_layer() {
  local first
  first=$(icon_layer_window "$1") || return 1
  sleep 2
  [[ "$(icon_layer_window "$1")" == "$first" ]]
}

# How far two screenshots differ: 0 for the same picture, 1 for opposites.
picture_difference() { compare -metric RMSE "$1" "$2" null: 2>&1 | grep -oE '\(([0-9.e-]+)\)' | tr -d '()'; }
pictures_alike() { awk -v d="$(picture_difference "$1" "$2")" 'BEGIN { exit !(d < 0.02) }'; }

# settled_screen_shot NAME: a screenshot once the screen has stopped changing (five
# shots half a second apart alike, two seconds in all) and is not one flat colour. An
# icon program on a cold machine maps its desktop before it paints it, and may paint it
# in steps (with half a second of stillness, caja still once failed in CI with one
# picture of its grey desktop against one nearly black); a compositing manager may show
# a new window a moment late. What the user sees is the screen after that. TAKER is the
# command that writes the screen into $WORK/NAME.png (by default the X root window's).
# The reason of a failed reading stays in $WORK/shot-error.log, for the failure message.
root_window_shot() { import -window root "$WORK/$1.png" 2>"$WORK/shot-error.log"; }
settled_screen_shot() {
  local deadline=$((SECONDS + 20)) alike=0 taker=${2:-root_window_shot}
  # A window that is being mapped or redrawn may not give a picture yet: that shot
  # counts as a change.
  until "$taker" "$1" 2>/dev/null; do
    ((SECONDS < deadline)) || fail "no picture for $1: $(tail -2 "$WORK/shot-error.log" 2>/dev/null)"
    sleep 0.2
  done
  while ((SECONDS < deadline)); do
    sleep 0.5
    if "$taker" "$1-next" 2>/dev/null && pictures_alike "$WORK/$1.png" "$WORK/$1-next.png" &&
      awk -v v="$(picture_variation "$WORK/$1-next.png")" 'BEGIN { exit !(v > 0.002) }'; then
      ((++alike < 4)) || break
    else
      alike=0
    fi
    [[ -f "$WORK/$1-next.png" ]] && mv "$WORK/$1-next.png" "$WORK/$1.png"
  done
  rm -f "$WORK/$1-next.png"
  keep_screen_shot "$1"
}

# What became of the icon program, for a failure message: still running (and its
# desktop window, stacked where), or ended (and its last words).
icon_program_state() {
  if kill -0 "$1" 2>/dev/null; then
    echo "$class runs; its desktop windows: $(icon_layer_window "$class" || echo none); the stack from the top: $(xprop -root _NET_CLIENT_LIST_STACKING 2>/dev/null | cut -c1-200); log: $(tail -3 "$WORK/app.log" | tr '\n' ' ')"
  else
    echo "$class ended: $(tail -3 "$WORK/icons.log" | tr '\n' ' ')"
  fi
}

# check_icon_layer CLASS START_COMMAND...: the icon program paints an opaque desktop.
# In either start order the wallpaper lies beneath it, the screen shows the icons
# exactly as without the wallpaper, a right click opens the icon program's menu
# (nothing hidden takes it), and the wallpaper says once why it cannot be seen. The
# user answered "Later" to turning that desktop off at an earlier start, so no
# question stands in front of the icons (check_icon_desktop_turned_off asks it).
check_icon_layer() {
  local class=$1 icons layer
  shift
  answered_later "$class"
  "$@" >"$WORK/icons.log" 2>&1 &
  icons=$!
  track $icons
  wait_for 30 stable_icon_layer "$class" || fail "$class drew no lasting desktop: $(tail -5 "$WORK/icons.log")"
  settled_screen_shot "icons-of-$class-alone"

  start_wallpaper_beside_icons
  layer=$(settled 5 icon_layer_window "$class") || fail "$class's desktop went away when the wallpaper started"
  expect_below "$wallpaper" "$layer" "$class's desktop (icons started first)"
  settled_screen_shot "icons-of-$class-with-wallpaper"
  pictures_alike "$WORK/icons-of-$class-alone.png" "$WORK/icons-of-$class-with-wallpaper.png" ||
    fail "the screen changed under $class's icons (difference $(picture_difference "$WORK/icons-of-$class-alone.png" "$WORK/icons-of-$class-with-wallpaper.png"); $(icon_program_state "$icons"))"
  wait_for 5 grep -q "The desktop icons of $class paint an opaque desktop" "$WORK/app.log" ||
    fail "the wallpaper did not say why it is hidden: $(cat "$WORK/app.log")"
  note "$class first: its icons show unchanged above the wallpaper, and the log says why the wallpaper is hidden"

  right_click_opens_menu 900 500 "$class's menu"
  screen_shot "icons-of-$class-menu"
  xdotool key Escape
  note "$class: a right click on the desktop opens $class's own menu"

  kill "$icons"
  wait_for 10 bash -c "! kill -0 $icons" || fail "$class did not stop"
  wait_for 20 screen_shows_content || fail "the wallpaper did not show once $class stopped"
  note "$class stopped: the wallpaper shows"

  "$@" >"$WORK/icons-again.log" 2>&1 &
  track $!
  wait_for 30 stable_icon_layer "$class" || fail "$class did not start again: $(tail -5 "$WORK/icons-again.log")"
  layer=$(settled 5 icon_layer_window "$class") || fail "$class's desktop went away"
  expect_below "$wallpaper" "$layer" "$class's desktop (icons started after the wallpaper)"
  settled_screen_shot "icons-of-$class-started-later"
  pictures_alike "$WORK/icons-of-$class-alone.png" "$WORK/icons-of-$class-started-later.png" ||
    fail "icons started after the wallpaper do not show as they should"
  note "$class started after the wallpaper: its icons show above it"
}

# answered_later PROGRAM: the application remembers "Later" for PROGRAM's desktop.
answered_later() {
  mkdir -p "$(dirname "$(settings_file)")"
  printf '{"%s": {"choice": "keep"}}\n' "$1" >"$(dirname "$(settings_file)")/icon-desktops.json"
}

# The page is hidden under an opaque icon layer: wait for the window only. A test whose
# application runs as another account names, in APP_RUNNER, a function that execs it so.
start_wallpaper_beside_icons() {
  settle_first_launch
  ${APP_RUNNER:-} "$APP" 2>"$WORK/app.log" &
  app=$!
  track $app
  wallpaper=$(settled 20 wallpaper_window) || fail "no wallpaper window: $(cat "$WORK/app.log")"
  wait_for 20 viewable "$wallpaper" || fail "the wallpaper was never mapped"
  wait_for 20 log_has_line_ending "$WORK/app.log" "App did finish launching" || fail "no launch"
  # The wallpaper has seen the icons' desktop over it once it says so.
  wait_for 20 grep -q "paint an opaque desktop" "$WORK/app.log" || true
}

# expect_own_toplevel ID: the window is a child of the root, in no frame of a manager's.
expect_own_toplevel() {
  local top
  top=$(toplevel_of "$1") || fail "window $1 is gone"
  ((top == $1)) || fail "the wallpaper lies in the frame $top of the window manager"
}

# The window under the pointer at X Y, as the X server finds it for a click.
# expect_pointer_reaches_root "X Y"...: at each point the X server reports the root window
# under the pointer (never the wallpaper, whose input shape is empty), once the move and
# any restack it waits on have arrived.
window_under_pointer() { xdotool getmouselocation --shell | grep '^WINDOW=' | cut -d= -f2; }
expect_pointer_reaches_root() {
  local root point under
  root=$(xwininfo -root | grep -oE 'Window id: 0x[0-9a-f]+' | grep -oE '0x[0-9a-f]+')
  root_under_pointer() { under=$(window_under_pointer); ((under == root)); }
  for point in "$@"; do
    xdotool mousemove --sync $point
    wait_for 5 root_under_pointer || true
    ((under != wallpaper)) || fail "the wallpaper takes the pointer at $point"
    ((under == root)) || fail "window $under, not the desktop, is under the pointer at $point"
  done
}

# expect_alone_below_bars CLASS WHAT: after the manager mishandled it, the wallpaper said
# why, left the manager's frame and lies below every bar of the manager (by class).
expect_alone_below_bars() {
  local bar
  grep -q "mishandles the wallpaper's desktop window" "$WORK/app.log" ||
    fail "the wallpaper did not say why it changed: $(cat "$WORK/app.log")"
  expect_own_toplevel "$wallpaper"
  for bar in $(xdotool search --class "$1" 2>/dev/null); do
    viewable "$bar" && expect_below "$wallpaper" "$bar" "$2"
  done
}

# start_desktop_with_a_note MANAGER: a display, the view site, a home folder with one
# file on its desktop (for an icon program to show), and the window manager MANAGER.
start_desktop_with_a_note() {
  start_display
  start_site
  use_temporary_home
  mkdir -p "$HOME/Desktop"
  echo "a note" >"$HOME/Desktop/notes.txt"
  start_named_window_manager "$1"
}

# check_icon_desktop_turned_off CLASS PROGRAM START_COMMAND...: the icon program (its
# windows of class CLASS) paints an opaque desktop over the wallpaper. The application
# asks once, on screen, naming PROGRAM; the answer turns that desktop off and the live
# view shows; the tray menu's entry brings the desktop back as it was, and its return
# is not asked about again. Needs a session bus (the tray menu is read over it). A
# function while_icon_desktop_off, when the test has one, runs while the desktop is off.
check_icon_desktop_turned_off() {
  local class=$1 program=$2 dialog bus entries
  shift 2
  "$@" >"$WORK/icons.log" 2>&1 &
  track $!
  wait_for 30 stable_icon_layer "$class" || fail "$class drew no lasting desktop: $(tail -5 "$WORK/icons.log")"
  settled_screen_shot "icons-of-$class-before"

  start_wallpaper_beside_icons
  dialog=$(settled 20 alert_window) || fail "no question on screen: $(cat "$WORK/app.log")"
  grep -q "$program's desktop hides the live wallpaper; asking whether to turn it off" "$WORK/app.log" ||
    fail "the question does not name $program: $(cat "$WORK/app.log")"
  screen_shot "icons-of-$class-question"
  # The question comes up focused, its action the default answer.
  xdotool windowactivate --sync "$dialog" key Return
  wait_for 20 grep -q "✅ Told $program to turn its desktop off" "$WORK/app.log" || fail "the desktop was not turned off: $(cat "$WORK/app.log")"
  dialog_gone() { ! viewable "$dialog"; }
  wait_for 20 dialog_gone || fail "the question stayed on screen"
  wait_for 30 screen_shows_content || fail "the live view does not show once $program's desktop is off"
  settled_screen_shot "icons-of-$class-turned-off"
  note "$program: asked on screen; its desktop is off and the live view shows (icons-of-$class-turned-off.png)"
  # A session test checks the rest of its desktop here, while the live view is seen.
  if declare -F while_icon_desktop_off >/dev/null; then while_icon_desktop_off; fi

  bus=$(settled 20 bus_name_of "$app") || fail "the status item is not on the bus"
  entries=$(menu_entries "$bus" | cut -f2)
  [[ "$entries" == *$'Open Screen Saver Preferences\n'"Show $program's Desktop Again"$'\n---\nQuit' ]] ||
    fail "the menu offers no way back: $entries"
  click_entry "$bus" "Show $program's Desktop Again" || fail "the menu entry cannot be clicked"
  wait_for 30 stable_icon_layer "$class" || fail "$program's desktop did not come back: $(cat "$WORK/app.log")"
  # The wallpaper has seen it over itself again once it says so a second time.
  seen_twice() { (($(grep -c "The desktop icons of .* paint an opaque desktop" "$WORK/app.log") >= 2)); }
  wait_for 20 seen_twice ||
    fail "the wallpaper did not see the desktop come back ($(xwininfo -id "$(icon_layer_window "$class")" | grep -E 'Depth|Map State' | tr -s ' \n' ' ')): $(cat "$WORK/app.log")"
  settled_screen_shot "icons-of-$class-back"
  pictures_alike "$WORK/icons-of-$class-before.png" "$WORK/icons-of-$class-back.png" ||
    fail "$program's desktop did not come back as it was (difference $(picture_difference "$WORK/icons-of-$class-before.png" "$WORK/icons-of-$class-back.png"))"
  (($(grep -c "asking whether to turn it off" "$WORK/app.log") == 1)) || fail "asked again: $(cat "$WORK/app.log")"
  ! alert_window >/dev/null || fail "a question is on screen again"
  [[ "$(menu_entries "$bus" | cut -f2)" != *"Desktop Again"* ]] || fail "the menu still offers to bring the desktop back"
  note "$program: the tray menu brought its desktop back as it was, and nothing asks again"
}
