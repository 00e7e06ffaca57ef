#!/usr/bin/env bash
# Runs every test: unit tests on the fake platform, the fuzzer, integration tests
# on virtual displays of their own, and the pages' tests. Tests that want a plain
# display get one from xvfb-run; a session bus comes from dbus-run-session. A test that
# fails is run once more before it counts as failed: on a busy two-core machine a
# compositor or a window manager now and then answers later than a test waits; a
# fault fails both runs.
set -euo pipefail
BUILD_DIR=${BUILD_DIR:-build}
cd "$BUILD_DIR"
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" \
  ctest --output-on-failure --timeout 600 --repeat until-pass:2 "$@"
