# Shared by the benchmarks: a work folder and the processes they start (both gone at
# exit), a virtual screen of their own, and the cost of a whole process tree (the
# application with its web and network processes).
# The caller has sourced the build's names.sh (the product's names).

WORK=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# Starts a 1920x1080 Xvfb and points DISPLAY at it; records its pid in `pids`.
start_virtual_screen() {
  exec {screen_fd}<> <(:)
  Xvfb -displayfd "$screen_fd" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  local number
  read -t 10 -u "$screen_fd" number
  export DISPLAY=":$number" NO_AT_BRIDGE=1
}

descendants() {
  local pid=$1 child
  echo "$pid"
  for child in $(pgrep -P "$pid" 2>/dev/null); do descendants "$child"; done
}

# Proportional set size of a process and all its descendants, in KiB.
tree_pss_kib() { tree_memory_kib "$1" Pss; }
# Memory the tree wrote and no other process shares (private dirty: heaps, stacks,
# caches), in KiB. Unlike PSS, and unlike private clean pages (library pages that only
# this tree happens to touch), it does not move when other programs load or drop the
# same libraries.
tree_private_dirty_kib() { tree_memory_kib "$1" Private_Dirty; }
tree_memory_kib() {
  local root=$1 total=0 pid value
  shift
  local fields="$*"
  for pid in $(descendants "$root"); do
    value=$(awk -v f=" ${fields} " 'index(f, " " substr($1, 1, length($1) - 1) " ") { t += $2 } END { print t + 0 }' \
      "/proc/$pid/smaps_rollup" 2>/dev/null || echo 0)
    total=$((total + ${value:-0}))
  done
  echo "$total"
}

# CPU time (user + system) of a process and all its descendants, in clock ticks.
tree_cpu_ticks() {
  local total=0 pid ticks
  for pid in $(descendants "$1"); do
    ticks=$(awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$pid/stat" 2>/dev/null || echo 0)
    total=$((total + ticks))
  done
  echo "$total"
}

# Open file descriptors and threads of a process and all its descendants.
tree_fd_count() {
  local total=0 pid n
  for pid in $(descendants "$1"); do
    n=$(ls "/proc/$pid/fd" 2>/dev/null | wc -l)
    total=$((total + n))
  done
  echo "$total"
}
tree_thread_count() {
  local total=0 pid n
  for pid in $(descendants "$1"); do
    n=$(awk '/^Threads:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0)
    total=$((total + ${n:-0}))
  done
  echo "$total"
}

# The application and everything it started, ended before the next measurement.
end_tree() {
  local pid
  for pid in $(descendants "$1" | tac); do kill "$pid" 2>/dev/null || true; done
  wait "$1" 2>/dev/null || true
}

# The view-site origin the build was configured with; on loopback the site component is
# served from this checkout on its port (SITE_PID is then its pid, part of what the
# product costs), unless something already answers there.
SITE_PID=
start_view_site() {
  local build_dir=$1 port
  # The site program the product runs, on a free port of the benchmark's own; the
  # application and the screen saver find it through their run-time origin hook.
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  SITE_ORIGIN="http://127.0.0.1:$port"
  export TAVELO_TEST_VIEW_SITE_ORIGIN=$SITE_ORIGIN
  "$build_dir/bin/$TAVELO_SITE_PROGRAM_NAME" --listen "127.0.0.1:$port" --no-data-job --idle-exit 0 \
    --data "$WORK/site-data" >"$WORK/site.log" 2>&1 &
  SITE_PID=$!
  pids+=($SITE_PID)
  for _ in $(seq 50); do curl -fsS -o /dev/null "$SITE_ORIGIN/" 2>/dev/null && return 0; sleep 0.1; done
  echo "the view site did not start: $(tail -3 "$WORK/site.log")" >&2
  return 1
}

# A fresh home whose settings select view $1, for one run of the application.
fresh_home_with_view() {
  export HOME="$WORK/home-$RANDOM$RANDOM" XDG_RUNTIME_DIR="$WORK/runtime-$RANDOM$RANDOM"
  mkdir -p "$HOME/${TAVELO_SETTINGS_RELATIVE_PATH%/*}" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  echo "{\"selectedViewID\": \"$1\", \"firstLaunchDone\": true}" \
    >"$HOME/$TAVELO_SETTINGS_RELATIVE_PATH"
}

# Says so when processes outside the tree of $1 map the same WebKit library file: PSS
# splits those pages with them, so the tree's PSS reads low (bench/private-libraries.sh
# gives a run files of its own).
warn_if_webkit_is_shared() {
  local ours lib pid others=0
  ours=" $(descendants "$1" | tr '\n' ' ') "
  lib=$(awk '$6 ~ /libwebkit2gtk/ { print $6; exit }' "/proc/$1/maps" 2>/dev/null)
  [[ -n "$lib" ]] || return 0
  for pid in $(grep -l -F "$lib" /proc/[0-9]*/maps 2>/dev/null | cut -d/ -f3); do
    [[ "$ours" == *" $pid "* ]] || others=$((others + 1))
  done
  if ((others > 0)); then
    echo "⚠️ $others other processes map $lib: PSS is split with them and reads low (see bench/private-libraries.sh)"
  fi
}

# The application ($APP) in a fresh home whose settings select view $1, started once it
# says it finished launching; its pid in `app`.
start_application_with_view() {
  fresh_home_with_view "$1"
  "$APP" >"$WORK/app.log" 2>&1 &
  app=$!
  pids+=($app)
  for _ in $(seq 100); do grep -q "App did finish launching" "$WORK/app.log" && break; sleep 0.2; done
}

# wait_for_picture SECONDS: until the screen shows a page's picture; fails after SECONDS.
wait_for_picture() {
  local deadline=$((SECONDS + $1))
  until screen_shows_something; do
    ((SECONDS < deadline)) || { echo "no picture within $1 s" >&2; return 1; }
    sleep 0.2
  done
}

# Whether the screen shows a page's picture: the part below a browser's top bar is not
# one uniform colour and is dark, as every darkened page is (an empty white browser
# window with an info bar is not a picture of the page).
screen_shows_something() {
  import -window root -crop 1920x960+0+120 +repage "$WORK/probe.png" 2>/dev/null || return 1
  local stats
  stats=$(convert "$WORK/probe.png" -colorspace Gray -format '%[fx:standard_deviation] %[fx:mean]' info:)
  awk -v s="${stats% *}" -v m="${stats#* }" 'BEGIN { exit !(s > 0.01 && m < 0.5) }'
}
