#!/usr/bin/env bash
# with-display.sh COMMAND...: runs COMMAND with DISPLAY set to a virtual 1920x1080 screen of
# its own. Xvfb picks a free display number itself and says which once it listens, so two
# runs side by side never take the same one (from TAVELO_TEST_FIRST_DISPLAY on, when set).
set -euo pipefail
exec {number_pipe}<> <(:)
Xvfb ${TAVELO_TEST_FIRST_DISPLAY:+":$TAVELO_TEST_FIRST_DISPLAY"} -displayfd "$number_pipe" -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
number="" deadline=$((SECONDS + 30))
until [[ -n "$number" ]] || ((SECONDS >= deadline)); do
  read -t 1 -u "$number_pipe" number || true
done
[[ -n "$number" ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"
unset WAYLAND_DISPLAY
"$@"
