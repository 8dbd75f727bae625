#!/usr/bin/env bash
# What a screen reader hears of a Memory run, and a question it asks during
# a CPU run, on a real accessibility bus of a D-Bus session of its own (run
# it on an X display):
#   tests/e2e/accessibility.sh build/src/app/torvik build/tests/drive_type
# Skipped (CTest's code 77) where the bus or the Python bindings are missing.
set -uo pipefail

torvik=$(readlink -f "$1")
here=$(dirname "$(readlink -f "$0")")
for tool in dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (scripts/setup.sh --tests installs it)"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
  { echo "SKIP: python3-pyatspi is missing (scripts/setup.sh --tests installs it)"; exit 77; }

source "$here/lib.sh"
new_scratch "$(dirname "$torvik")"
require_fixed_disk "${2:-}"
trap 'rm -rf "$scratch"' EXIT
# Qt's bridge speaks without asking whether a reader is turned on.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
dbus-run-session -- /usr/bin/python3 "$here/accessibility_listener.py" "$torvik" 2>&1 |
  grep -v -e 'Failed to set fd limit' -e 'X11 connection broke'
exit "${PIPESTATUS[0]}"
