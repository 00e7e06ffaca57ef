#!/usr/bin/env bash
# Regenerates the application's image assets in resources/images/:
#   - the preview pictures of the settings window's cards, one per row of the view
#     table (shared/views.json) under its image name, rendered from the live-view
#     pages themselves in WebKitGTK (darkened, as the wallpaper shows them) on a
#     private virtual display;
#   - the logo "TVlogo" from resources/artwork/TVlogo.svg: TVlogo.png for the tray and
#     TVlogo-<size>.png for every size a tray or a desktop launcher asks for.
#
# usage: scripts/render-artwork.sh [BUILD_DIR]
#   BUILD_DIR is a build of this checkout (default build/): the pages are rendered as
#   it assembled them, with their built scripts, the local ones from the application
#   bundle and the remote ones from the site output. A page that does not exist is
#   skipped and its old preview kept.
# Needs: Xvfb, python3, a C++ compiler and the GTK/WebKitGTK development packages.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$repo/build}" && pwd)"
source "$build/names.sh"
bundled="$build/$TAVELO_APP_BUNDLE_NAME/Contents/Resources"
site="$build/site"
images="$repo/resources/images"
work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$images"

# Preview pictures are drawn at twice the card's 224 x 110 picture, for sharp
# previews on high-density screens; the page gets a viewport of the same shape.
preview_size=(448 220)
viewport=(1120 550)

tools="$repo/tools"
c++ -std=c++20 -O1 -I"$repo" -o "$work/render-page-preview" "$tools/render-page-preview.cpp" \
  $(pkg-config --cflags --libs gtk+-3.0 webkit2gtk-4.1)
c++ -std=c++20 -O1 -I"$repo" -o "$work/rasterize-svg" "$tools/rasterize-svg.cpp" \
  $(pkg-config --cflags --libs gdk-pixbuf-2.0 gobject-2.0 cairo)

# The logo.
for size in 16 22 24 32 48 64 128 256; do
  "$work/rasterize-svg" "$repo/resources/artwork/TVlogo.svg" "$images/TVlogo-$size.png" "$size"
done
cp "$images/TVlogo-22.png" "$images/TVlogo.png"

# A free display and two loopback servers: the site's pages use paths from its root.
display=""
for n in $(seq 140 199); do
  if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=":$n"; break; fi
done
[[ -n "$display" ]] || { echo "no free display" >&2; exit 1; }
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
serve() {  # serve DIR PORT
  python3 -m http.server "$2" --bind 127.0.0.1 --directory "$1" >/dev/null 2>&1 &
  pids+=($!)
}
resources_port=$(free_port); serve "$bundled" "$resources_port"
site_port=$(free_port)
[[ -d "$site" ]] && serve "$site" "$site_port"
sleep 1

render() {  # render IMAGE_NAME DIR PAGE PORT
  local id="$1" dir="$2" page="$3" port="$4"
  if [[ ! -f "$dir/$page" ]]; then
    echo "skipping $id: $dir/$page does not exist (keeping the old preview)" >&2
    return 0
  fi
  local url="http://127.0.0.1:$port/$page?darkened=1"
  # Pages keep drawing after they load; give them time to fetch data and settle.
  if DISPLAY="$display" GDK_BACKEND=x11 "$work/render-page-preview" "$url" "$images/$id.png" \
       "${viewport[@]}" "${preview_size[@]}" 6000; then
    echo "rendered $id from $dir/$page"
  else
    echo "could not render $id from $dir/$page" >&2
  fi
}
# One preview per row of the view table: local pages from the bundle, remote ones from the site.
while read -r image location page; do
  if [[ $location == local ]]; then
    render "$image" "$bundled" "$page" "$resources_port"
  else
    render "$image" "$site" "$page" "$site_port"
  fi
done < <(python3 -c 'import json, sys
for view in json.load(open(sys.argv[1]))["views"]:
    print(view["image"], view["location"], view["page"])' "$repo/shared/views.json")
