#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy: the bugprone and performance groups) over
# every C and C++ source of this checkout that the build compiles; fails on any finding.
#   scripts/check-tidy.sh [BUILD_DIR] [PATH_REGEX]
# BUILD_DIR is a configured build (it writes compile_commands.json); PATH_REGEX limits
# the run to the sources whose path matches it. JOBS sets how many run at once (2).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build_dir=$(realpath "${1:-build}")
only=${2:-.}
database="$build_dir/compile_commands.json"
[[ -f "$database" ]] || { echo "no $database: configure the build first" >&2; exit 2; }
command -v clang-tidy >/dev/null || { echo "clang-tidy is not installed" >&2; exit 2; }

mapfile -t files < <(python3 - "$database" "$source_dir" "$build_dir" "$only" <<'PY'
import json, os, re, sys
database, source, build, only = sys.argv[1:]
seen = set()
for entry in json.load(open(database)):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    if path.startswith(source + os.sep) and not path.startswith(build + os.sep) and re.search(only, path):
        seen.add(path)
print("\n".join(sorted(seen)))
PY
)
((${#files[@]} > 0)) || { echo "no sources match $only" >&2; exit 2; }

# Findings in our own headers count too; those of system and library headers do not.
header_filter="^$(sed 's/[.[\*^$()+?{|]/\\&/g' <<<"$source_dir")/(app|bench|cmake|host|platform|screensaver|shared|tests|tools|viewsite)/"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
printf '%s\0' "${files[@]}" |
  xargs -0 -n 1 -P "${JOBS:-2}" clang-tidy --quiet -p "$build_dir" --header-filter="$header_filter" >"$log" 2>&1 ||
  true
# A finding in a header is reported once for every source that includes it.
findings=$({ grep -E '^/.*: (warning|error): ' "$log" || true; } | sort -u | wc -l)
if ((findings > 0)); then
  grep -E -A3 '^/.*: (warning|error): ' "$log" | awk '!seen[$0]++'
  echo "clang-tidy: $findings findings in ${#files[@]} files" >&2
  exit 1
fi
echo "clang-tidy: ${#files[@]} files, no findings"
