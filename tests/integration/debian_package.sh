#!/usr/bin/env bash
# The Debian package as a user gets it: built with cpack, checked by lintian --pedantic
# (no tag at all), its description naming every view and its size the README's,
# installed with apt, its application started from /usr/bin by an ordinary
# account on a virtual desktop, then removed with apt: no file of the package stays,
# and only the account's own files remain. The package's listing and lintian's report
# go to $TAVELO_BUILD_DIR/test-artifacts/.
source "$(dirname "$0")/lib.sh"
ARTIFACTS="$BUILD_DIR/test-artifacts"
mkdir -p "$ARTIFACTS"
package=$TAVELO_PROGRAM_NAME

[[ $(id -u) -eq 0 ]] || { echo "SKIP: installing a package needs root"; exit 77; }
# A sanitizer build carries its runtime in every program: no package anyone ships.
if grep -q '^TAVELO_SANITIZE:BOOL=ON$' "$BUILD_DIR/CMakeCache.txt" 2>/dev/null; then
  echo "SKIP: this is a sanitizer build, not a package build"
  exit 77
fi
command -v lintian >/dev/null || fail "lintian is not installed (scripts/install-deps.sh installs it)"
# One package test at a time on a machine, and never over a copy someone installed by hand.
exec {lock}>/tmp/tavelo-package-test.lock
flock "$lock"
if [[ "$(dpkg-query -W -f='${db:Status-Status}' $package 2>/dev/null || true)" == installed ]]; then
  echo "SKIP: $package is installed on this machine already; this test would remove it"
  exit 77
fi
apt_locked() { flock /tmp/apt.lock env DEBIAN_FRONTEND=noninteractive "$@"; }

note "build the package"
cpack -G DEB -B "$WORK/package" --config "$BUILD_DIR/CPackConfig.cmake" >"$WORK/cpack.log" 2>&1 ||
  { cat "$WORK/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$WORK"/package/${package}_*.deb)
dpkg-deb -c "$deb" | awk '{ $1=$2=$3=$4=$5=""; sub(/^ +/, ""); print }' | sed 's/ -> .*//' >"$WORK/contents"
cp "$WORK/contents" "$ARTIFACTS/package-contents.txt"

note "lintian"
lintian --pedantic --tag-display-limit 0 "$deb" >"$ARTIFACTS/lintian.txt" 2>&1 || true
# Every tag counts, pedantic ones too (its note about running as root is no tag).
grep -E '^[EWIPX]: ' "$ARTIFACTS/lintian.txt" && fail "lintian reports tags (all of its report: $ARTIFACTS/lintian.txt)"
# The description says what the product does: every view.
description=$(dpkg-deb -f "$deb" Description | tr -s " \n" "  ")
for view in "crypto bubbles" "crypto chart" "S&P 500 heat map" "stocks chart"; do
  grep -qi -- "$view" <<<"$description" || fail "the package description does not name the $view view"
done

note "what it installs, and its size"
for item in ./usr/bin/$TAVELO_PROGRAM_NAME ./usr/bin/$TAVELO_HOST_PROGRAM_NAME \
    ./usr/share/$TAVELO_PROGRAM_NAME/resources/index.html \
    "./usr/lib/$TAVELO_PROGRAM_NAME/$TAVELO_APP_BUNDLE_NAME/Contents/Resources" \
    "./usr/lib/$TAVELO_PROGRAM_NAME/$TAVELO_SAVER_BUNDLE_NAME/Contents/Resources" \
    "./usr/lib/$TAVELO_PROGRAM_NAME/$TAVELO_SAVER_BUNDLE_NAME/Contents/Linux/$TAVELO_HOST_PROGRAM_NAME.so" \
    ./usr/share/doc/$package/copyright ./usr/share/doc/$package/changelog.gz \
    ./usr/share/xscreensaver/config/$TAVELO_HOST_PROGRAM_NAME.xml; do
  grep -qxF "$item" "$WORK/contents" || fail "the package has no $item"
done
version=$(dpkg-deb -f "$deb" Version)
dpkg-deb -x "$deb" "$WORK/unpacked"
# One copy of the pages, linked from both bundles.
for bundle in "$TAVELO_APP_BUNDLE_NAME" "$TAVELO_SAVER_BUNDLE_NAME"; do
  [[ -f "$WORK/unpacked/usr/lib/$TAVELO_PROGRAM_NAME/$bundle/Contents/Resources/chartIndex.html" ]] ||
    fail "$bundle does not reach the shared pages"
done
[[ "$(zcat "$WORK/unpacked/usr/share/doc/$package/changelog.gz" | head -1)" == "$package ($version) "* ]] ||
  fail "the changelog's newest entry is not version $version"
for program in usr/bin/$TAVELO_PROGRAM_NAME usr/bin/$TAVELO_HOST_PROGRAM_NAME \
    "usr/lib/$TAVELO_PROGRAM_NAME/$TAVELO_SAVER_BUNDLE_NAME/Contents/Linux/$TAVELO_HOST_PROGRAM_NAME.so"; do
  file -L "$WORK/unpacked/$program" | grep -q 'not stripped' && fail "$program is not stripped"
done
installed_size=$(dpkg-deb -f "$deb" Installed-Size)
note "Installed-Size: $installed_size KiB"
# Stripped and with one copy of the pages (unstripped it was 27.5 MB): the README's figure has to be this package's, within 5 %.
readme_size=$(grep -oE 'Installed-Size is [0-9]+ KiB' "$SOURCE_DIR/README.md" | grep -oE '[0-9]+')
[[ -n "$readme_size" ]] || fail "the README gives no Installed-Size"
((installed_size * 100 >= readme_size * 95 && installed_size * 100 <= readme_size * 105)) ||
  fail "Installed-Size is $installed_size KiB, the README says $readme_size KiB"

note "install"
apt_locked apt-get install -y -q --no-install-recommends "$deb" >"$WORK/install.log" 2>&1 ||
  { cat "$WORK/install.log" >&2; fail "apt could not install the package"; }
removed=""
remove_package() {
  [[ -n "$removed" ]] && return 0
  removed=1
  apt_locked apt-get remove -y -q $package >"$ARTIFACTS/package-remove.log" 2>&1
}
# The account's processes end first, then the package goes, whatever happened.
trap 'cleanup; remove_package' EXIT

note "run it as an ordinary account"
start_display 1280x800x24
use_unprivileged_account "${TAVELO_TEST_ACCOUNT_PREFIX:-tavelo}-package"
chmod 755 "$WORK"
as_account env DISPLAY="$DISPLAY" GDK_BACKEND=x11 dbus-run-session -- /usr/bin/$TAVELO_PROGRAM_NAME \
  >"$WORK/app.log" 2>&1 &
track $!
wait_for 40 grep -q "App did finish launching" "$WORK/app.log" || { cat "$WORK/app.log" >&2; fail "the installed application did not start"; }
wait_for 20 wallpaper_window || fail "no wallpaper window"
# The page draws over the whole screen; the first launch's question sits in the middle,
# so the band above it is what tells.
page_drawn() {
  import -window root "$ARTIFACTS/package-wallpaper.png" 2>/dev/null || return 1
  convert "$ARTIFACTS/package-wallpaper.png" -crop 1280x250+0+0 +repage "$WORK/band.png"
  picture_shows_content "$WORK/band.png"
}
wait_for 40 page_drawn || fail "the installed wallpaper shows no page (see $ARTIFACTS/package-wallpaper.png)"
# The installed screen saver, in a window of its own, loads its page through its
# bundle's link to the shared pages (confinement resolves the link).
as_account env DISPLAY="$DISPLAY" GDK_BACKEND=x11 timeout 20 /usr/bin/$TAVELO_HOST_PROGRAM_NAME \
  >"$WORK/host.log" 2>&1 &
track $!
wait_for 20 grep -q "✅ Finished loading." "$WORK/host.log" || { cat "$WORK/host.log" >&2; fail "the installed screen saver loaded no page"; }
grep -q "❌" "$WORK/host.log" && fail "the installed screen saver failed: $(grep "❌" "$WORK/host.log")"
pkill -TERM -u "$account" -x "${TAVELO_PROGRAM_NAME:0:15}" || true
config="$home/$TAVELO_SETTINGS_RELATIVE_PATH"
wait_for 10 test -f "$config" || fail "the first launch wrote no settings file"
wait_for 10 bash -c "! pgrep -u $account -x ${TAVELO_PROGRAM_NAME:0:15}" || fail "the application did not end on SIGTERM"

note "remove"
remove_package || { cat "$ARTIFACTS/package-remove.log" >&2; fail "apt could not remove the package"; }
[[ "$(dpkg-query -W -f='${db:Status-Status}' $package 2>/dev/null || true)" != installed ]] || fail "still installed"
while IFS= read -r item; do
  path="${item#.}"
  [[ "$path" == / || "$path" == */ ]] && continue
  [[ -e "$path" || -L "$path" ]] && fail "left behind after removal: $path"
done <"$WORK/contents"
for folder in /usr/lib/$TAVELO_PROGRAM_NAME /usr/share/$TAVELO_PROGRAM_NAME /usr/share/doc/$package; do
  [[ -e "$folder" ]] && fail "left behind after removal: $folder"
done
# The account's own files stay, as the README says; its autostart entry names the
# program as TryExec, so the session skips it now that the program is gone.
[[ -f "$config" ]] || fail "removing the package took the user's settings"
autostart="$home/.config/autostart/$TAVELO_PROGRAM_NAME.desktop"
grep -qx "TryExec=/usr/bin/$TAVELO_PROGRAM_NAME" "$autostart" ||
  fail "the autostart entry has no TryExec for the installed program: $(cat "$autostart")"
echo "PASS debian package (Installed-Size $installed_size KiB; lintian: $ARTIFACTS/lintian.txt)"
