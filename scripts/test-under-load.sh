#!/usr/bin/env bash
# Runs the whole suite RUNS times in a row (default 1) while stress-ng keeps every core
# busy, and fails at the first red run: the suite must not depend on a quiet machine.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-1}
command -v stress-ng >/dev/null || { echo "stress-ng is not installed (scripts/install-deps.sh)" >&2; exit 2; }
stress-ng --cpu "$(nproc)" --quiet &
hog=$!
trap 'kill "$hog" 2>/dev/null || true; wait "$hog" 2>/dev/null || true' EXIT
for ((run = 1; run <= runs; run++)); do
  started=$SECONDS
  echo "=== run $run of $runs under load (stress-ng --cpu $(nproc))"
  if ! bash scripts/test.sh "$@"; then
    echo "=== run $run of $runs under load: FAILED after $((SECONDS - started)) s"
    exit 1
  fi
  echo "=== run $run of $runs under load: passed in $((SECONDS - started)) s"
done
