#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test TORVIK.
# Idempotent: packages already present are left alone. Uses sudo only when not root.
#   scripts/setup.sh           what building and running needs
#   scripts/setup.sh --tests   and what only the tests and benches need (a PostgreSQL server
#                              they start themselves in a scratch folder, openssl for its
#                              certificates, a D-Bus session with the accessibility bus and
#                              its Python bindings for the screen reader's test, a headless
#                              Wayland compositor with its XWayland and Qt's Wayland platform,
#                              a strict HTML parser and a headless browser for the report page,
#                              a JSON Schema validator, a window manager for the drawing stage
#                              minimised mid-test, and the ja_JP.UTF-8 locale the end-to-end
#                              tests run once more under)
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libzstd-dev libssl-dev liburing-dev
  qt6-base-dev qt6-base-dev-tools qt6-base-private-dev libgl-dev libwayland-dev
  libqt6sql6-sqlite libqt6sql6-psql qt6-charts-dev qt6-svg-dev libqt6opengl6-dev qt6-tools-dev qt6-l10n-tools
  xdg-utils file
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-liberation2
  xvfb xauth xdotool binutils
  dpkg-dev appstream desktop-file-utils man-db lintian
)
if [ "${1:-}" = "--tests" ]; then
  packages+=(postgresql openssl dbus-daemon at-spi2-core python3-pyatspi weston qt6-wayland xwayland
             python3-html5lib python3-jsonschema chromium locales openbox)
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# The program's first language: the end-to-end tests run once more in it.
# Generated once; a machine that has it already is left alone.
japanese_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8' && return 0
  echo "setup: generating the ja_JP.UTF-8 locale"
  if grep -q '^# *ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  elif ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
else
  echo "setup: installing ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
[ "${1:-}" != "--tests" ] || japanese_locale
