#!/usr/bin/env bash
# End to end, as a user meets TORVIK: start the built program on an X server,
# click its real buttons at their places on the screen, answer each message
# box, click Report, and check the result sheet: for the CPU, Memory and HDD
# groups, one report each. Run on a virtual X server:
#   tests/tools/virtual_screen.sh 1024x768x24 tests/e2e/e2e.sh build/src/app/torvik build/tests/drive_type
# HOME and XDG_CONFIG_HOME point into a scratch folder, so the user's own
# settings are never touched; the HDD group runs in a scratch test directory.
set -uo pipefail

built=$(readlink -f "$1")
source "$(dirname "$0")/lib.sh"
new_scratch "$(dirname "$built")"
require_fixed_disk "${2:-}"
pid=""

cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# The sheet goes beside the executable (its path with the extension, if any,
# replaced by .txt): a copy of the program in the scratch folder has a sheet
# of its own, never one another run of this script may be writing beside
# the built program.
mkdir -p "$scratch/bin"
torvik="$scratch/bin/$(basename "$built")"
cp "$built" "$torvik"
sheet="$(dirname "$torvik")/$(basename "$torvik" | sed 's/\.[^.]*$//').txt"
"$torvik" &
pid=$!
find_window
check "the window appears" test -n "$window"
[ -n "$window" ] || { echo "0 passed, 1 failed"; exit 1; }

# answer_box SECONDS: waits up to SECONDS for the message box and presses
# Enter, again if the box is still there after 20 s (a key lost on a loaded
# machine); on failure says how long it waited and which windows showed.
answer_box() {
  local start=$SECONDS box
  if ! wait_for_window '^TORVIK$' "$1"; then
    echo "  no box after $((SECONDS - start)) s; shown: $(shown_windows)"
    return 1
  fi
  box=$found
  sleep 0.5
  for _ in 1 2 3; do
    xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key --window "$box" Return 2>/dev/null || xdotool key Return
    for _ in $(seq 1 200); do
      xdotool search --onlyvisible --name '^TORVIK$' >/dev/null 2>&1 || return 0
      sleep 0.1
    done
    box=$(xdotool search --onlyvisible --name '^TORVIK$' 2>/dev/null | head -1)
    [ -n "$box" ] || return 0
  done
  echo "  a box still shown after $((SECONDS - start)) s; shown: $(shown_windows)"
  return 1
}

shown_windows() {  # the visible windows' names, one line
  xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | paste -sd '|'
}

report() {  # clicks Report and waits for the sheet
  rm -f "$sheet"
  click_report
  for _ in $(seq 1 100); do
    [ -s "$sheet" ] && grep -q '______//' "$sheet" && return 0
    sleep 0.1
  done
  return 1
}

has() { grep -qE "^$1"$'\r'"\$" "$sheet"; }
lacks() { ! grep -qE "^$1" "$sheet"; }
all_crlf() { [ "$(grep -c $'\r$' "$sheet")" = "$(wc -l < "$sheet")" ]; }
time_re=' *[0-9]+\.[0-9]sec'

common() {  # the lines of every report
  local group=$1
  check "$group: banner" has '<> TORVIK Time Trial Result <>'
  check "$group: user" has '   Your Name     : E2E User'
  check "$group: PC" has '   PC-Name       : e2e-pc'
  check "$group: bench number" has '   Bench No      : -?[0-9]+'
  check "$group: OS" has '   USE OS        : Linux [0-9]+\.[0-9]+ \(Build [0-9]+.*\)'
  check "$group: CPU" has '   CPU           : .+ [0-9]+\.[0-9]{2}MHz'
  check "$group: stepping" has '     Stepping    : [0-9]+\.[0-9]+\.[0-9]+.*'
  check "$group: disk" has "   HDD Info      : $testdir/ => Free [0-9]+MB / Total [0-9]+MB"
  check "$group: memory" has '   Memory Info   : Free:[0-9]+MB  Total:[0-9]+MB'
  check "$group: display" has '   Display Dev   : .*\([0-9]+x[0-9]+ [0-9]+BitColor\)'
  check "$group: total" has "   Sum    Total  :$time_re"
  check "$group: footer" has '//______  TORVIK Version 3.03  ______//'
  check "$group: one block" test "$(grep -c 'Time Trial Result' "$sheet")" = 1
  check "$group: CR LF" all_crlf
  check "$group: empty last line" test "$(tail -c 4 "$sheet" | od -An -c | tr -d ' ')" = '/\r\n\r\n' -o "$(tail -n 1 "$sheet")" = $'\r'
  check "$group: no test file left" test -z "$(ls -A "$testdir")"
}

# CPU group.
click_cpu
check "CPU: completion box" answer_box 300
check "CPU: report written" report
common CPU
check "CPU: prime" has "   Prime  Calc   :$time_re"
check "CPU: trig" has "   Trigonometric :$time_re"
for absent in '   Square' '   Scroll' '   Memory Copy' '   Write Average' '   Read  Average' '   150MB x 3Loop' '     HDD  Write' '   Mix' '   Memory I-O'; do
  check "CPU: no '$absent'" lacks "$absent"
done

# Memory group.
click_memory
check "Memory: completion box" answer_box 300
check "Memory: report written" report
common Memory
for absent in '   Prime' '   Trigonometric' '   Write Average' '     HDD  Write' '   Square'; do
  check "Memory: no '$absent'" lacks "$absent"
done

# HDD group, in the scratch test directory of the settings.
click_hdd
check "HDD: completion box" answer_box 600
check "HDD: report written" report
common HDD
check "HDD: write average" has '   Write Average : +[0-9]+\.[0-9]{2}sec => [0-9.E+-]{1,5}MB/sec'
check "HDD: read average" has '   Read  Average : +[0-9]+\.[0-9]{2}sec => [0-9.E+-]{1,5}MB/sec'
check "HDD: block header" has '   150MB x 3Loop :    40MB  /    50MB  /    60MB'
check "HDD: writes" has "     HDD  Write  :$time_re /$time_re /$time_re => [0-9.]+sec"
check "HDD: reads" has "     HDD  Read   :$time_re /$time_re /$time_re => [0-9.]+sec"
for absent in '   Prime' '   Memory Copy' '   Mix' '   Square'; do
  check "HDD: no '$absent'" lacks "$absent"
done

kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
pid=""
check "no test file left at the end" test -z "$(ls -A "$testdir")"
echo "e2e: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
