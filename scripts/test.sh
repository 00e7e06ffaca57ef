#!/usr/bin/env bash
# Runs every test: unit tests on the fake platform, the fuzzer, integration tests on
# virtual displays of their own, and the pages' tests. A failing test fails the run: no
# test is retried. Tests listed in tests/quarantine.tsv (known to be flaky, each with the
# issue that will fix it) run apart, after the others; the list is printed every run and
# their failures are reported without failing it.
#   scripts/test.sh [ctest options...]
# JOBS: how many tests run at once (default: the number of cores plus one; integration
# tests mostly wait on displays and processes). As root, the tests run in a network
# namespace with loopback only, so a test that would reach the internet fails instead.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-build}
cd "$BUILD_DIR"

quarantine=()
while IFS=$'\t' read -r name symptom issue; do
  [[ -z "$name" || "$name" == \#* ]] && continue
  quarantine+=("$name")
  echo "quarantined: $name ($symptom; $issue)"
done <"$source_dir/tests/quarantine.tsv"
echo "quarantine: ${#quarantine[@]} tests"

jobs=${JOBS:-$(($(nproc) + 1))}
# ctest's exclusion is a regular expression over test names.
exclusion=()
if ((${#quarantine[@]} > 0)); then
  exclusion=(-E "^($(IFS='|'; echo "${quarantine[*]}"))\$")
fi

# One session bus and one plain display for the tests that want them; the others start
# displays, buses and compositors of their own. As root, in a new network namespace whose
# only interface is lo.
run_tests() {
  local command=(dbus-run-session -- bash "$source_dir/scripts/with-display.sh" ctest
    --output-on-failure --timeout 600 "$@")
  if [[ $(id -u) -eq 0 ]]; then
    command=(unshare --net -- bash -c 'ip link set lo up && exec "$@"' loopback-only "${command[@]}")
  fi
  "${command[@]}"
}

# A run asked for by name (-R) is that selection only, quarantined tests included (so
# that they can be run alone while they are fixed): ctest keeps the last -R it is given,
# so a second run would repeat the selection instead of the quarantine.
selected_by_name=false
for argument in "$@"; do [[ "$argument" == -R || "$argument" == --tests-regex ]] && selected_by_name=true; done
if $selected_by_name; then
  exclusion=()
fi

status=0
run_tests -j "$jobs" "${exclusion[@]}" "$@" || status=$?
if ((${#quarantine[@]} > 0)) && ! $selected_by_name; then
  quarantined=(-R "^($(IFS='|'; echo "${quarantine[*]}"))\$")
  # A run restricted by label (the sanitized smoke set) may hold none of them; then
  # there is no quarantine run at all rather than one that finds nothing to run.
  if ctest -N "$@" "${quarantined[@]}" | grep -q '^Total Tests: [1-9]'; then
    echo "=== quarantined tests (their failures do not fail the run)"
    run_tests "$@" "${quarantined[@]}" || echo "quarantined tests failed (see above)"
  else
    echo "quarantine: none of them is in this selection"
  fi
fi
exit "$status"
