#!/usr/bin/env bash
# The window under a home that is not there (HOME naming no folder, no XDG
# folders of its own): a box says so, Enter ends the program with exit
# status 2, the main window never opens and the home is never made. Runs
# on an X server (tests/tools/virtual_screen.sh):
#   tests/e2e/missing_home.sh build/src/app/torvik
set -uo pipefail

torvik=$(readlink -f "$1")
source "$(dirname "$0")/lib.sh"
scratch=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/runtime"
home="$scratch/missing"

env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$home" XDG_RUNTIME_DIR="$scratch/runtime" LC_ALL=C.UTF-8 \
  LANGUAGE=ja "$torvik" 2>"$scratch/err" &
pid=$!

check "a box opens" wait_for_window '^TORVIK$' 60
box=$found
check "the main window does not" test -z "$(xdotool search --onlyvisible --name '^TORVIK Ver3.03$' 2>/dev/null)"
check "stderr says it in one line naming the home" \
  test "$(wc -l <"$scratch/err")" -eq 1 -a "$(grep -c "^torvik: .*$home" "$scratch/err")" -eq 1
if [ -n "$box" ]; then
  sleep 0.5
  xdotool windowfocus --sync "$box" 2>/dev/null
  xdotool key --window "$box" Return 2>/dev/null || xdotool key Return
fi
status=""
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || { wait "$pid"; status=$?; pid=""; break; }
  sleep 0.1
done
check "Enter ends the program with exit status 2 (was ${status:-still running})" test "$status" = 2
check "the home was not made" test ! -e "$home"

echo "missing_home: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
