# Shared by the benchmarks: a work folder and the processes they start (both gone at
# exit), a virtual screen of their own, and the cost of a whole process tree (the
# application with its web and network processes).

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
tree_pss_kib() {
  local total=0 pid value
  for pid in $(descendants "$1"); do
    value=$(awk '/^Pss:/ { print $2 }' "/proc/$pid/smaps_rollup" 2>/dev/null || echo 0)
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
