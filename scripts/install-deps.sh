#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12, and nothing when
# everything is there already (then it prints nothing).
set -euo pipefail

packages=(
  # build
  build-essential cmake pkg-config clang libclang-rt-14-dev
  libgtk-3-dev libwebkit2gtk-4.1-dev libgtk-layer-shell-dev libayatana-appindicator3-dev
  nlohmann-json3-dev libboost-url1.81-dev libsystemd-dev libx11-dev libxfixes-dev libepoxy-dev libegl-dev libglvnd-core-dev
  libgtest-dev libgmock-dev libsoup-3.0-dev
  # run and test on a virtual display
  xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick openbox dbus dbus-x11 procps
  xscreensaver xscreensaver-data xsettingsd fonts-dejavu-core fonts-noto-color-emoji sway grim weston xwayland curl
  nodejs python3 python3-gi desktop-file-utils libglib2.0-bin util-linux passwd
  # the view site: loopback-only test namespaces (ip, ss), the HTTPS recipe's web server
  iproute2 nginx-light openssl ca-certificates
  # check the Debian package
  lintian file
  # window managers and desktop-icon programs the wallpaper is tested under
  i3-wm fluxbox xfwm4 xfdesktop4 xfce4-panel pcmanfm pcmanfm-qt mutter nemo caja marco mate-settings-daemon-common mate-session-manager mate-settings-daemon mate-panel kwin-x11 kwin-wayland icewm awesome dwm
  gnome-shell gnome-shell-extension-desktop-icons-ng plasma-desktop
  # the gates CI runs besides the tests
  clang-format clang-tidy
  # make test-under-load: a CPU hog beside the suite
  stress-ng
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
