#!/usr/bin/env bash
# Checks that every tracked C and C++ file is laid out as .clang-format says.
#   scripts/check-format.sh          lists the files that differ; fails if there are any
#   scripts/check-format.sh --fix    rewrites those files in place
set -euo pipefail
cd "$(dirname "$0")/.."

fix=false
[[ "${1:-}" == "--fix" ]] && fix=true
command -v clang-format >/dev/null || { echo "clang-format is not installed" >&2; exit 2; }

mapfile -t files < <(git ls-files -- '*.c' '*.cpp' '*.h')
# One clang-format for all of them (one a file took most of a minute): each place that
# differs is reported as "FILE:LINE:COLUMN: error: code should be clang-formatted".
mapfile -t differing < <(
  clang-format --dry-run --Werror "${files[@]}" 2>&1 >/dev/null |
    sed -nE 's/^(.+):[0-9]+:[0-9]+: error: code should be clang-formatted.*/\1/p' | sort -u
)

if $fix; then
  ((${#differing[@]} == 0)) || clang-format -i "${differing[@]}"
  echo "formatted ${#differing[@]} of ${#files[@]} files"
  exit 0
fi
if ((${#differing[@]} > 0)); then
  printf '%s\n' "${differing[@]}"
  echo "${#differing[@]} of ${#files[@]} files differ from .clang-format (scripts/check-format.sh --fix rewrites them)" >&2
  exit 1
fi
echo "all ${#files[@]} files match .clang-format"
