#!/usr/bin/env bash
# Runs a command on a virtual X server of its own and exits with its status:
#   tests/tools/virtual_screen.sh 1280x1024x24 command [arguments...]
# Xvfb chooses a free display number itself (-displayfd), so any number of
# these run side by side (xvfb-run -a guesses one, with a race).
set -uo pipefail
screen=$1
shift
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$number" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -f "$number"' EXIT
for _ in $(seq 1 200); do
  [ -s "$number" ] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "virtual_screen: Xvfb did not start" >&2; exit 1; }
  sleep 0.05
done
[ -s "$number" ] || { echo "virtual_screen: Xvfb gave no display number" >&2; exit 1; }
DISPLAY=":$(head -1 "$number")" "$@"
