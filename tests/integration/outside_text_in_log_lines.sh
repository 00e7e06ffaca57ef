#!/usr/bin/env bash
# Text from outside (the environment, the command line, the install path) reaches
# a log line escaped: it cannot end the line, forge another or drive a terminal.
source "$(dirname "$0")/lib.sh"

HOST="$BUILD_DIR/bin/$TAVELO_HOST_PROGRAM_NAME"
start_display
use_temporary_home
export NO_AT_BRIDGE=1
forged=$'0x1\n2026-12-07 13:00:00.000 '"$TAVELO_HOST_PROGRAM_NAME"$'[1:1] ✅ Finished loading.\e[2K'

# Only our own lines count: a busy machine may add a toolkit warning of its own.
check_log() {
  local name=$1 expected=$2 lines
  lines=$(grep -c "❌" "$WORK/$name.log" || true)
  # One line per failure (the application alone also cannot start its view site).
  ((lines >= 1 && lines <= 2)) || fail "$name: $lines failure lines: $(cat -v "$WORK/$name.log")"
  grep -q '^2026-12-07 13:00:00.000' "$WORK/$name.log" && fail "$name: a forged line: $(cat -v "$WORK/$name.log")"
  grep -q $'\e' "$WORK/$name.log" && fail "$name: a raw escape character reached the log"
  grep -q -- "$expected" "$WORK/$name.log" || fail "$name: $(cat -v "$WORK/$name.log")"
  grep -q '\\n2026-12-07 13:00:00.000' "$WORK/$name.log" || fail "$name: the text is not shown escaped: $(cat -v "$WORK/$name.log")"
  note "$name: $(grep "❌" "$WORK/$name.log" | sed 's/^[^]]*\] //')"
}

status=0
XSCREENSAVER_WINDOW="$forged" "$HOST" -root >/dev/null 2>"$WORK/environment.log" || status=$?
[[ $status == 1 ]] || fail "a bad XSCREENSAVER_WINDOW ended with status $status"
check_log environment "❌ Bad window id in XSCREENSAVER_WINDOW: "

status=0
"$HOST" "--$forged" >/dev/null 2>"$WORK/option.log" || status=$?
[[ $status == 1 ]] || fail "an unknown option ended with status $status"
check_log option "❌ Unknown option: "

# The application copied alone into a folder whose name holds a line break.
lonely="$WORK/$forged"
mkdir -p "$lonely"
cp "$APP" "$lonely/"
status=0
"$lonely/$TAVELO_PROGRAM_NAME" 2>"$WORK/path.log" || status=$?
[[ $status == 1 ]] || fail "the application without its bundle ended with status $status"
check_log path "❌ Cannot find $TAVELO_APP_BUNDLE_NAME next to "
