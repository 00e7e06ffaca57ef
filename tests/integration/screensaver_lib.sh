# Shared by the screen-saver integration scripts: a virtual display of their own,
# foreign X windows to draw into, and waiting on log lines.

source "$TAVELO_BUILD_DIR/names.sh"
HOST="$TAVELO_BUILD_DIR/bin/$TAVELO_HOST_PROGRAM_NAME"
X_TEST_WINDOW="$TAVELO_BUILD_DIR/bin/tavelo-test-x-client-window"
SAVER_BUNDLE="$TAVELO_BUILD_DIR/$TAVELO_SAVER_BUNDLE_NAME"
SHOTS="$TAVELO_BUILD_DIR/screenshots/screensaver"
WORK="$(mktemp -d /tmp/tavelo-saver-it.XXXXXX)"
chmod 755 "$WORK"
mkdir -p "$SHOTS"
source "$(dirname "${BASH_SOURCE[0]}")/stage_for_account.sh"
source "$(dirname "${BASH_SOURCE[0]}")/critical_messages.sh"
PIDS_TO_END=()

# The host starts the built-in view site when a site view is shown: on a port of the
# test's own, with its data job pointed at a closed loopback port and its folders here.
SITE_PORT_OF_TEST=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
export TAVELO_TEST_VIEW_SITE_ORIGIN="http://127.0.0.1:$SITE_PORT_OF_TEST"
export XDG_CONFIG_HOME="$WORK/config" XDG_CACHE_HOME="$WORK/cache"
mkdir -p "$XDG_CONFIG_HOME/$TAVELO_PROGRAM_NAME" "$XDG_CACHE_HOME"
chmod 777 "$XDG_CACHE_HOME"
printf '{"screenerURL": "http://127.0.0.1:9/screener", "historyURL": "http://127.0.0.1:9/{symbol}"}\n' \
    >"$XDG_CONFIG_HOME/$TAVELO_PROGRAM_NAME/site.json"
chmod -R a+rX "$XDG_CONFIG_HOME"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cleanup() {
    local status=$? pid
    for pid in "${PIDS_TO_END[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    [[ -n "${XVFB_PID:-}" ]] && kill "$XVFB_PID" 2>/dev/null
    # The site runs detached from the host that started it.
    local site
    site=$({ ss -ltnpH "sport = :$SITE_PORT_OF_TEST" 2>/dev/null | grep -o 'pid=[0-9]*' | head -1 | cut -d= -f2; } || true)
    [[ -n "$site" && "$(cat /proc/"$site"/comm 2>/dev/null)" == "${TAVELO_SITE_PROGRAM_NAME:0:15}" ]] && kill "$site" 2>/dev/null
    wait 2>/dev/null || true
    check_critical_messages "$WORK" || status=1
    rm -rf "$WORK"
    exit "$status"
}
trap cleanup EXIT

start_xvfb() {
    Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp -noreset -ac 5>"$WORK/display" >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 100); do
        [[ -s "$WORK/display" ]] && break
        sleep 0.1
    done
    [[ -s "$WORK/display" ]] || fail "Xvfb did not start"
    export DISPLAY=":$(cat "$WORK/display")"
}

# open_target NAME W H [X Y]: a window of another client, grey so that a screenshot
# tells it from a page drawn into it; sets TARGET_<NAME> to its id.
# `destroy_target NAME` destroys it.
open_target() {
    local name=$1
    mkfifo "$WORK/$name.ctl"
    "$X_TEST_WINDOW" "$name" override 0x404040 "$2" "$3" "${4:-0}" "${5:-0}" <"$WORK/$name.ctl" >"$WORK/$name.id" &
    PIDS_TO_END+=($!)
    eval "exec {fd}>\"$WORK/$name.ctl\""
    eval "TARGET_FD_$name=$fd"
    local i
    for i in $(seq 50); do
        [[ -s "$WORK/$name.id" ]] && break
        sleep 0.1
    done
    [[ -s "$WORK/$name.id" ]] || fail "no test window $name"
    eval "TARGET_$name=$(cat "$WORK/$name.id")"
}

destroy_target() {
    local fd_var="TARGET_FD_$1"
    echo destroy >&"${!fd_var}"
}

# wait_for_line FILE TEXT SECONDS
wait_for_line() {
    local deadline=$((SECONDS + $3))
    while ((SECONDS < deadline)); do
        grep -qF -- "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    echo "--- $1" >&2
    cat "$1" >&2 || true
    fail "no line \"$2\" within $3 s"
}

# The log texts of a host's output, without the time and process prefix.
log_texts() {
    sed -E 's/^[0-9-]+ [0-9:.]+ [^ ]+\[[0-9:]+\] //' "$1"
}

# wait_for_exit PID SECONDS: sets EXIT_STATUS; fails when the process outlives the time.
wait_for_exit() {
    local pid=$1 deadline=$(($(date +%s%N) + $2 * 1000000000))
    while kill -0 "$pid" 2>/dev/null; do
        if (($(date +%s%N) > deadline)); then
            fail "process $pid still running after $2 s"
        fi
        # A zombie has ended: reap it below.
        [[ "$(ps -o stat= -p "$pid" 2>/dev/null)" == Z* ]] && break
        sleep 0.02
    done
    set +e
    wait "$pid"
    EXIT_STATUS=$?
    set -e
}

# Distinct colours in a rectangle of the screen: a page has many, a bare window one.
colours_in() {
    local shot=$1 geometry=$2
    convert "$shot" -crop "$geometry" +repage -format %k info:
}

# shot_until_drawn SHOT GEOMETRY: screenshots until the rectangle shows more than a bare
# window (a page paints a moment after its load finishes, later on a busy machine).
shot_until_drawn() {
    local shot=$1 geometry=$2 colours=0 deadline=$((SECONDS + 15))
    while ((SECONDS < deadline)); do
        import -window root "$shot"
        colours=$(colours_in "$shot" "$geometry")
        ((colours > 16)) && return 0
        sleep 0.5
    done
    fail "nothing drawn in $geometry ($colours colours; see $shot)"
}

# shot_when_still SHOT: a screenshot once the screen holds still (two shots half a
# second apart alike), so that pages are compared as they settle, not mid-animation.
shot_when_still() {
    local shot=$1 deadline=$((SECONDS + 15)) difference
    import -window root "$shot"
    while ((SECONDS < deadline)); do
        sleep 0.5
        import -window root "$shot.next.png"
        difference=$(compare -metric RMSE "$shot" "$shot.next.png" null: 2>&1 | grep -oE '\(([0-9.e-]+)\)' | tr -d '()')
        mv "$shot.next.png" "$shot"
        awk -v d="$difference" 'BEGIN { exit !(d < 0.02) }' && return 0
    done
    fail "the screen never held still (see $shot)"
}

# wait_until_gone PID...: fails when one of them is still running after 10 s.
wait_until_gone() {
    local pid deadline=$((SECONDS + 10))
    for pid in "$@"; do
        while kill -0 "$pid" 2>/dev/null; do
            ((SECONDS < deadline)) || fail "process $pid ($(ps -o comm= -p "$pid")) outlived the host"
            sleep 0.1
        done
    done
}
