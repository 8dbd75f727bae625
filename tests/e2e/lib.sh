# Helpers of the end-to-end scripts: a scratch home with TORVIK's settings,
# finding the main window, and clicking its buttons at their design places.
# Source it; it sets no options of its own.

failures=0
passed=0
check() {  # check DESCRIPTION COMMAND...: counts a pass or reports a failure
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    echo "FAIL: $what"
    failures=$((failures + 1))
  fi
}

# new_scratch DIR_PARENT: makes $scratch with a home, a config holding the
# settings (the test directory $testdir, user and PC names) and a runtime
# folder, and exports the environment that points TORVIK at them.
new_scratch() {
  scratch=$(mktemp -d "$1/e2e-XXXXXX")
  testdir="$scratch/hddtest"
  mkdir -p "$testdir" "$scratch/home" "$scratch/config/Varn" "$scratch/runtime"
  chmod 700 "$scratch/runtime"
  printf '[Locate]\nDrv=%s/\nYName=E2E User\nPCName=e2e-pc\n' "$testdir" > "$scratch/config/Varn/TORVIK.conf"
  export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
    XDG_RUNTIME_DIR="$scratch/runtime"
  japanese_locale
}

# japanese_locale: TORVIK speaks Japanese, its first language: in the
# caller's own Japanese locale when it has one (CI runs these scripts once
# more under ja_JP.UTF-8, formats and all), else in C.UTF-8.
japanese_locale() {
  case "${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}" in
    ja | ja_* | ja.*) ;;
    *) export LC_ALL=C.UTF-8 ;;
  esac
  export LANGUAGE=ja
}

# require_fixed_disk DRIVE_TYPE_TOOL: the Memory and HDD groups refuse a test
# folder that is not on a fixed local disk (a container's overlay, tmpfs);
# there the script is skipped (CTest's code 77) rather than failed. Without a
# tool named, nothing is checked.
require_fixed_disk() {
  [ -n "$1" ] || return 0
  "$1" "$testdir" >/dev/null && return 0
  echo "SKIP: $("$1" "$testdir"); the disk groups cannot run here"
  rm -rf "$scratch"
  exit 77
}

# wait_for_window TITLE_REGEX SECONDS: sets $found to the first visible
# window of that title, polling every tenth of a second.
wait_for_window() {
  found=""
  for _ in $(seq 1 $(($2 * 10))); do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$found" ] && return 0
    sleep 0.1
  done
  return 1
}

# find_window: waits up to 60 s for the main window (about 3 s when quiet:
# the clock is measured first); sets $window, $scale (window width / 649
# design pixels) and $menu (the menu bar's height).
find_window() {
  window=""
  wait_for_window '^TORVIK Ver3.03$' 60 || return 1
  window=$found
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$window")"
  scale=$(awk -v w="$WIDTH" 'BEGIN { printf "%.4f", w / 649 }')
  menu=$(awk -v h="$HEIGHT" -v s="$scale" 'BEGIN { printf "%d", h - 414 * s }')
}

click() {  # click X Y W H (design pixels of a button)
  local x y
  x=$(awk -v a="$1" -v b="$3" -v s="$scale" 'BEGIN { printf "%d", (a + b / 2) * s }')
  y=$(awk -v a="$2" -v b="$4" -v s="$scale" -v m="$menu" 'BEGIN { printf "%d", (a + b / 2) * s + m }')
  xdotool mousemove --window "$window" "$x" "$y" click 1
}
click_cpu() { click 10 340 81 31; }
click_memory() { click 190 340 81 31; }
click_hdd() { click 280 340 81 31; }
click_report() { click 481 340 72 31; }
