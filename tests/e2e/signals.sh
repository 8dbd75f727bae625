#!/usr/bin/env bash
# Ending TORVIK from outside while it has test files on disk: SIGTERM, SIGHUP
# and SIGINT during the HDD and the Memory group, a second SIGINT while the
# first is being handled, SIGTERM while a start-up box is open, and the X
# server going away. Each must end the
# program with 128 + the signal (1 for the lost display, Qt's own exit) and
# leave no test file. Starts its own Xvfb, so it can take it away:
#   tests/e2e/signals.sh build/src/app/torvik build/tests/drive_type
set -uo pipefail

torvik=$(readlink -f "$1")
source "$(dirname "$0")/lib.sh"
new_scratch "$(dirname "$torvik")"
require_fixed_disk "${2:-}"
pid=""
xvfb=""

cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

start_display() {
  rm -f "$scratch/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 1 100); do
    [ -s "$scratch/display" ] && break
    sleep 0.05
  done
  export DISPLAY=":$(head -1 "$scratch/display")"
}

start_torvik() {
  echo "--- $(date +%T.%N) start" >>"$scratch/log"
  "$torvik" >>"$scratch/log" 2>&1 &
  pid=$!
  find_window
}

test_files_appear() {  # within 60 s (well under a second when quiet)
  for _ in $(seq 1 600); do
    compgen -G "$testdir/TORVIK*" >/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# ends_within SECONDS: waits for the program; $status is its exit status
# (137 when it had to be killed).
ends_within() {
  (sleep "$1" && kill -9 "$pid" 2>/dev/null) &
  local watchdog=$!
  wait "$pid"
  status=$?
  pid=""
  kill "$watchdog" 2>/dev/null
  wait "$watchdog" 2>/dev/null
  return 0
}

no_test_file_left() { [ -z "$(ls -A "$testdir")" ]; }

# signal_case GROUP SIGNAL [SECOND_SIGNAL]
signal_case() {
  local group=$1 signal=$2 second=${3:-} number
  number=$(kill -l "$signal")
  start_torvik || { check "$group/$signal: the window appears" false; return; }
  "click_$group"
  if [ "$group" = hdd ]; then
    check "$group/$signal: test files exist before the signal" test_files_appear
  else
    # Aimed at the group's one-second pause (its data file is made and gone
    # before it); what is checked holds wherever the signal lands: before
    # the group, in it, or with its completion box open.
    sleep 0.3
  fi
  kill "-$signal" "$pid"
  [ -n "$second" ] && sleep 0.2 && kill "-$second" "$pid"
  ends_within 60
  check "$group/$signal${second:+ twice}: exit status $((128 + number)) (got $status)" test "$status" = $((128 + number))
  check "$group/$signal${second:+ twice}: no test file left" no_test_file_left
}

start_display
signal_case hdd TERM
signal_case hdd HUP
signal_case hdd INT
signal_case memory TERM
signal_case memory INT
signal_case hdd INT INT

# A settings value of the wrong type opens an error box while the program
# starts; a signal then ends it there: the box gives way, the window never
# opens.
conf="$XDG_CONFIG_HOME/Varn/TORVIK.conf"
cp "$conf" "$scratch/conf.saved"
printf '[Locate]\nDrv=a, list\n' >"$conf"
echo "--- $(date +%T.%N) start-up box" >>"$scratch/log"
"$torvik" >>"$scratch/log" 2>&1 &
pid=$!
wait_for_window '^TORVIK$' 60
check "start-up box: the error box opens" test -n "$found"
kill -TERM "$pid"
ends_within 60
# Without the box giving way the window would open and run on (137 here).
check "start-up box: exit status 143 (got $status)" test "$status" = 143
cp "$scratch/conf.saved" "$conf"

# The display goes away in the middle of the HDD group.
start_torvik
click_hdd
check "lost display: test files exist before" test_files_appear
kill "$xvfb"
xvfb=""
ends_within 60
check "lost display: the program ends (status $status)" test "$status" -ne 137
check "lost display: no test file left" no_test_file_left

[ "$failures" -eq 0 ] || { echo "--- the program's output:"; cat "$scratch/log"; }
echo "signals: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
