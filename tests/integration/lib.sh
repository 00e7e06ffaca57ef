# Shared helpers for integration tests: each test runs the real binaries on a
# virtual display of its own, with a temporary home folder, and cleans up after itself.
set -euo pipefail

BUILD_DIR=${TAVELO_BUILD_DIR:?run through ctest}
SOURCE_DIR=${TAVELO_SOURCE_DIR:?run through ctest}
# The product's names, as the build wrote them.
source "$BUILD_DIR/names.sh"
# Where the settings window's cards and controls lie.
source "$SOURCE_DIR/tests/support/settings_window_points.sh"
SITE_ORIGIN=${TAVELO_VIEW_SITE_ORIGIN:-}
APP="$BUILD_DIR/bin/$TAVELO_PROGRAM_NAME"

WORK=$(mktemp -d /tmp/tavelo-it-XXXXXX)
TEST_SITE_PORT=""
source "$(dirname "${BASH_SOURCE[0]}")/stage_for_account.sh"
source "$(dirname "${BASH_SOURCE[0]}")/critical_messages.sh"
_pids=()

# A tracked process and everything it started (a command run through a shell
# function or setpriv is not the process that was tracked).
process_tree() {
  local pid=$1 child
  for child in $(pgrep -P "$pid" 2>/dev/null); do process_tree "$child"; done
  echo "$pid"
}

cleanup() {
  local status=$? pid everything=()
  for ((i = ${#_pids[@]} - 1; i >= 0; i--)); do
    everything+=($(process_tree "${_pids[i]}"))
  done
  for pid in "${everything[@]}"; do kill "$pid" 2>/dev/null || true; done
  sleep 0.3
  for pid in "${everything[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  stop_test_site
  # Whatever the unprivileged test account still runs belongs to this test.
  if [[ -n "${account:-}" ]]; then
    pkill -KILL -u "$account" 2>/dev/null || true
    remove_x_displays_of_account
  fi
  check_critical_messages "$WORK" || status=1
  if [[ -z "${KEEP_WORK:-}" ]]; then rm -rf "$WORK"; fi
  exit "$status"
}
trap cleanup EXIT
# A command that ends the test through `set -e` says which it was.
trap 'status=$?; [[ "$BASH_COMMAND" == exit* ]] || echo "FAIL: line $LINENO of $(basename "$0"): $BASH_COMMAND (status $status)" >&2' ERR

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "-- $*"; }
track() { _pids+=("$1"); }

# Where a shared machine gives each developer ten displays from TAVELO_TEST_FIRST_DISPLAY
# on: the first of them that no server holds (by its lock or its socket; a server given
# -displayfd takes no lock). Otherwise nothing, and Xvfb picks a free one.
display_in_range() {
  local first=${TAVELO_TEST_FIRST_DISPLAY:-} n
  [[ -n "$first" ]] || return 0
  for ((n = first; n < first + 10; n++)); do
    [[ -e "/tmp/.X$n-lock" || -e "/tmp/.X11-unix/X$n" ]] || { echo ":$n"; return 0; }
  done
}

# Starts Xvfb on a free display and points DISPLAY at it.
start_display() {
  local size=${1:-1920x1080x24}
  exec {fd}<> <(:)
  Xvfb $(display_in_range) -displayfd "$fd" -screen 0 "$size" -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
  track $!
  local number="" deadline=$((SECONDS + 30))
  # Xvfb writes the display number once it listens; a busy machine may take a while.
  until [[ -n "$number" ]] || ((SECONDS >= deadline)); do
    read -t 1 -u "$fd" number || true
  done
  [[ -n "$number" ]] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
  export DISPLAY=":$number"
  unset WAYLAND_DISPLAY
}

start_window_manager() {
  openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
  track $!
  for _ in $(seq 1 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
    sleep 0.1
  done
  fail "openbox did not start"
}

# A free TCP port on loopback (the kernel picks it; it is free again when this returns).
free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# The view site on a loopback port of this test's own, so tests never meet `make run`
# or each other: the programs under test see it through their run-time origin hook.
# The site's data job is pointed at a closed loopback port, so no test traffic leaves
# the machine; its data folder is the test's own.
use_test_site() {
  [[ -n "${TEST_SITE_PORT:-}" ]] && return 0
  TEST_SITE_PORT=$(free_port)
  SITE_ORIGIN="http://127.0.0.1:$TEST_SITE_PORT"
  export TAVELO_TEST_VIEW_SITE_ORIGIN=$SITE_ORIGIN
  SITE_CONFIG="$WORK/site.json"
  printf '{"screenerURL": "http://127.0.0.1:9/screener", "historyURL": "http://127.0.0.1:9/{symbol}"}\n' >"$SITE_CONFIG"
}

# use_heat_map_home: a display and a temporary home whose settings pick the heat map
# (a view of the site) and say the first launch is done.
use_heat_map_home() {
  start_display 1280x800x24
  use_temporary_home
  mkdir -p "$(dirname "$(settings_file)")"
  echo '{"selectedViewID": "sp500_heatmap", "firstLaunchDone": true}' >"$(settings_file)"
}

# The site that the application or the screen saver starts reads its settings from the
# home folder it runs with.
site_config_into_home() {  # HOME-FOLDER
  mkdir -p "$1/.config/$TAVELO_PROGRAM_NAME"
  cp "$SITE_CONFIG" "$1/.config/$TAVELO_PROGRAM_NAME/site.json"
}

# The process that listens on the test's site port (the application and the screen
# saver start the site detached from themselves, so it is no child of the test).
site_pid() { { ss -ltnpH "sport = :${TEST_SITE_PORT:?}" 2>/dev/null | grep -o 'pid=[0-9]*' | head -1 | cut -d= -f2; } || true; }

stop_test_site() {
  [[ -n "${TEST_SITE_PORT:-}" ]] || return 0
  local pid
  pid=$(site_pid)
  if [[ -n "$pid" && "$(cat /proc/"$pid"/comm 2>/dev/null)" == "${TAVELO_SITE_PROGRAM_NAME:0:15}" ]]; then kill "$pid" 2>/dev/null || true; fi
}

# Starts the view site (the same program the installed product runs) for this test.
start_site() {
  use_test_site
  "$BUILD_DIR/bin/$TAVELO_SITE_PROGRAM_NAME" --listen "127.0.0.1:$TEST_SITE_PORT" --data "$WORK/site-data" \
    --config "$SITE_CONFIG" >"$WORK/site.log" 2>&1 &
  track $!
  wait_for 10 curl -fsS -o /dev/null "$SITE_ORIGIN/" || fail "the site did not start: $(cat "$WORK/site.log")"
}

# A fresh home folder and runtime folder for the application.
use_temporary_home() {
  export HOME="$WORK/home"
  export XDG_RUNTIME_DIR="$WORK/runtime"
  unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
  mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  site_config_into_home "$HOME"
}

# The settings file under a home folder ($HOME without an argument); its relative path
# comes from the build, as the programs' own does.
settings_file() { echo "${1:-$HOME}/${TAVELO_SETTINGS_RELATIVE_PATH:?}"; }

# wait_for SECONDS COMMAND...: retries COMMAND until it succeeds.
wait_for() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || return 1
    sleep 0.2
  done
}

log_has_line_ending() { grep -q -- "$2\$" "$1"; }

# Every test gets a view site port of its own.
use_test_site

# The X window id of the wallpaper (the desktop-type window of the application).
wallpaper_window() {
  local id
  for id in $(xdotool search --name "^$TAVELO_PRODUCT_NAME\$" 2>/dev/null); do
    if xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DESKTOP; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

# Standard deviation of a picture's grey levels: 0 for a uniform picture.
picture_variation() { convert "$1" -colorspace Gray -format '%[fx:standard_deviation]' info:; }

# Whether a picture shows drawn content: an empty page (black, or only its background
# gradient and caption) stays well below this variation; the bubbles reach about 0.1.
picture_shows_content() { awk -v v="$(picture_variation "$1")" 'BEGIN { exit !(v > 0.05) }'; }

screen_shows_content() {
  import -window root "$WORK/probe.png" 2>/dev/null || return 1
  picture_shows_content "$WORK/probe.png"
}

# Share of a picture's pixels that are strongly green or strongly red: the heat map's
# tiles cover about half the screen; no other view comes near a fifth.
tile_share() {
  convert "$1" -resize 480x300\! -fx '(abs(g-r) > 0.15) ? 1 : 0' -colorspace Gray -format '%[fx:mean]' info:
}
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }

# "R G B" of one pixel of a picture.
pixel_at() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:
}

# An alert of the application: a dialog titled with its name.
alert_window() {
  local id
  for id in $(xdotool search --onlyvisible --name "^$TAVELO_PRODUCT_NAME\$" 2>/dev/null); do
    if xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DIALOG; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

# Compositors and screen savers refuse to run as root: this sets up an unprivileged
# account with a home and runtime folder of its own under $WORK, and `as_account`
# runs a command as that account with a clean environment (plus the given variables).
use_unprivileged_account() {
  [[ $(id -u) -eq 0 ]] || { echo "needs root to run as an unprivileged account"; exit 77; }
  account=$1
  add_test_account "$account"
  chmod 755 "$WORK"
  runtime="$WORK/runtime-$account"
  home="$WORK/home-$account"
  mkdir -p "$runtime" "$home"
  site_config_into_home "$home"
  chown -R "$account" "$runtime" "$home"
  chmod 700 "$runtime"
  # The account runs a copy: the build may sit where only its owner can enter.
  stage_for_account "$BUILD_DIR" "$WORK/stage"
  APP="$WORK/stage/bin/$TAVELO_PROGRAM_NAME"
  if [[ -n "${CLIENT_WINDOW:-}" ]]; then CLIENT_WINDOW="$WORK/stage/bin/$(basename "$CLIENT_WINDOW")"; fi
}

# check_background_layer_surface LOG: the application's Wayland requests (WAYLAND_DEBUG=client
# in LOG) made the wallpaper a background layer surface anchored to all four edges, with
# no exclusive zone, no keyboard and an empty input region (clicks reach the desktop).
check_background_layer_surface() {
  local log=$1 requests layer surface region
  wait_for 10 grep -q "set_input_region" "$log" || fail "no input region set"
  requests=$(grep -- "-> " "$log")
  layer=$(grep -oE 'get_layer_surface\(new id zwlr_layer_surface_v1@[0-9]+, wl_surface@[0-9]+, [^,]+, [0-9]+' <<<"$requests" | head -1)
  [[ -n "$layer" ]] || fail "no layer surface requested"
  [[ "${layer##*, }" == 0 ]] || fail "layer ${layer##*, } is not the background layer (0): $layer"
  surface=$(grep -oE 'zwlr_layer_surface_v1@[0-9]+' <<<"$layer")
  grep -q "$surface.set_anchor(15)" <<<"$requests" || fail "not anchored to all four edges"
  grep -q "$surface.set_exclusive_zone(-1)" <<<"$requests" || fail "exclusive zone is not -1"
  grep -q "$surface.set_keyboard_interactivity(0)" <<<"$requests" || fail "takes the keyboard"
  region=$(grep -oE 'wl_surface@[0-9]+\.set_input_region\(wl_region@[0-9]+\)' <<<"$requests" | tail -1 | grep -oE 'wl_region@[0-9]+' || true)
  [[ -n "$region" ]] || fail "no input region set"
  ! grep -q "$region.add(" <<<"$requests" || fail "the input region is not empty"
}

# desktop_window_on_xwayland DISPLAY [XAUTHORITY]: the X window id of the wallpaper on
# a compositor's XWayland display, reached as the test account: a mapped desktop-type
# window of the application.
desktop_window_on_xwayland() {
  local reach=(DISPLAY="$1") id
  [[ -n "${2:-}" ]] && reach+=(XAUTHORITY="$2")
  for id in $(as_account "${reach[@]}" xdotool search --name "^$TAVELO_PRODUCT_NAME\$" 2>/dev/null); do
    if as_account "${reach[@]}" xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DESKTOP &&
      as_account "${reach[@]}" xwininfo -id "$id" | grep -q "Map State: IsViewable"; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

# A compositor run as the test account (mutter, GNOME Shell) leaves its XWayland
# displays' lock files and sockets behind when it is stopped; another user's compositor
# cannot remove them from /tmp and skips those numbers, into a race with the displays
# other tests are starting. Removed once none of the account's processes is left (a
# display still in use must keep its lock).
remove_x_displays_of_account() {
  local _
  for _ in $(seq 1 50); do
    pgrep -u "$account" >/dev/null || break
    sleep 0.1
  done
  pgrep -u "$account" >/dev/null && return 0
  find /tmp -maxdepth 2 \( -path '/tmp/.X*-lock' -o -path '/tmp/.X11-unix/X*' \) -user "$account" -delete 2>/dev/null || true
}

as_account() {
  setpriv --reuid="$account" --regid="$(id -g "$account")" --init-groups \
    env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$runtime" NO_AT_BRIDGE=1 \
    TAVELO_TEST_VIEW_SITE_ORIGIN="$TAVELO_TEST_VIEW_SITE_ORIGIN" "$@"
}

# A machine whose GL could only be a software rasteriser: the application then draws
# without GL, and its web processes load the bundle's display-only EGL driver.
no_gpu_device() { ! compgen -G "/dev/dri/renderD*" >/dev/null && [[ ! -e /dev/nvidia0 ]]; }

# start_stand_in_site FOLDER LOG [ADDRESS]: serves FOLDER as this test's view site (a
# stand-in whose request log, LOG, tells which pages were asked for) on ADDRESS
# (127.0.0.1 by default). The stand-in binds a port of its own choosing first and the
# origin is handed on only then.
start_stand_in_site() {
  local folder=$1 log=$2 address=${3:-127.0.0.1} port_file="$WORK/stand-in.port"
  rm -f "$port_file"
  : >"$log"
  python3 "$SOURCE_DIR/tests/integration/helpers/stand_in_site.py" "$folder" "$port_file" "$log" "$address" &
  track $!
  wait_for 10 test -s "$port_file" || fail "the stand-in site did not start"
  TEST_SITE_PORT=$(<"$port_file")
  SITE_ORIGIN="http://$address:$TEST_SITE_PORT"
  export TAVELO_TEST_VIEW_SITE_ORIGIN=$SITE_ORIGIN
}

# expect_product_icon ID WHAT: the window carries the product's icon (_NET_WM_ICON) at
# exactly the sizes the bundle holds it in, from a title bar's 16 to 128 (GTK leaves
# out the 256 one: it keeps the property under its size limit).
expect_product_icon() {
  local sizes
  sizes=$(xprop -id "$1" _NET_WM_ICON 2>/dev/null | grep -oE 'Icon \([0-9]+ x [0-9]+\)' | grep -oE '[0-9]+ x' | tr -d ' x' | tr '\n' ' ')
  [[ "$sizes" == "16 24 32 48 64 128 " ]] || fail "$2 does not carry the product icon (sizes: ${sizes:-none})"
}
