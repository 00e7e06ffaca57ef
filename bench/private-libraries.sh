#!/usr/bin/env bash
# Private copies of the shared libraries the application's process tree maps (UI, web
# and network processes, the GL driver), for a soak or a benchmark on a machine where
# other programs run WebKit too. PSS splits a library's pages among every process that
# maps the same file; a copy is another file, so a run on the copies keeps its PSS to
# itself. Starts the application once, for a few seconds, to see what it maps, and
# prints the environment to run with:
#
#   eval "$(bench/private-libraries.sh [BUILD_DIR] [DIR])"; bench/soak.sh ...
#     defaults: build, /tmp/tavelo-private-libraries
set -euo pipefail

# Only the environment goes to standard output, since it is evaluated; everything else
# (the session bus's services too) goes to standard error.
if ! { true >&3; } 2>/dev/null; then
  exec 3>&1 1>&2
fi
if [[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]]; then
  exec dbus-run-session -- bash "$0" "$@"
fi

BUILD_DIR=$(cd "${1:-build}" && pwd)
DIR=${2:-/tmp/tavelo-private-libraries}
source "$BUILD_DIR/names.sh"
SOURCE_DIR=$(cd "$(dirname "$0")/.." && pwd)
APP="$BUILD_DIR/bin/$TAVELO_PROGRAM_NAME"
[[ -x "$APP" ]] || { echo "build first: $APP" >&2; exit 1; }
LIBDIR=/usr/lib/$(gcc -dumpmachine)

source "$SOURCE_DIR/bench/lib.sh"
start_virtual_screen
start_view_site "$BUILD_DIR" "$SOURCE_DIR"
start_application_with_view crypto_bubbles
# Once the page has drawn, the GL driver and the fonts' libraries are in.
wait_for_picture 60 || exit 1

# The libraries found by name (the loader's path) and the GL driver (its own path).
# Modules loaded by a fixed path (GIO, image loaders, WebKit's own helpers) stay shared.
for pid in $(descendants "$app"); do awk '{ print $6 }' "/proc/$pid/maps" 2>/dev/null; done |
  grep -E "^$LIBDIR/([^/]+|dri/[^/]+)\.so" | sort -u >"$WORK/mapped"
[[ -s "$WORK/mapped" ]] || { echo "the application mapped no library: $(tail -3 "$WORK/app.log")" >&2; exit 1; }
mkdir -p "$DIR/dri"
while read -r file; do
  relative=${file#"$LIBDIR/"}
  [[ -e "$DIR/$relative" ]] || cp "$file" "$DIR/$relative"
done <"$WORK/mapped"
# The names programs ask for (sonames) are links to the files just copied.
for link in "$LIBDIR"/*.so*; do
  [[ -L "$link" ]] || continue
  target=$(readlink -f "$link")
  relative=${target#"$LIBDIR/"}
  if [[ -e "$DIR/$relative" && ! -e "$DIR/${link##*/}" ]]; then ln -s "$DIR/$relative" "$DIR/${link##*/}"; fi
done
echo "$(wc -l <"$WORK/mapped") libraries copied to $DIR"
echo "export LD_LIBRARY_PATH=$DIR LIBGL_DRIVERS_PATH=$DIR/dri" >&3
