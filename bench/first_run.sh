#!/usr/bin/env bash
# What a new user meets, timed on fresh Debian 12 roots made with debootstrap:
#   1. a clean clone of this checkout's HEAD: scripts/run.sh from the command
#      to the visible window, and the program's build alone;
#   2. Memory, then Report opens the sheet in the desktop's text editor;
#   3. scripts/package.sh, then on a second fresh root: apt installs the
#      package, the desktop entry starts it, Report opens the sheet, and
#      apt remove leaves none of the package's files.
# Needs root (debootstrap, chroot, bind mounts) and Debian's mirror; about ten
# minutes on two cores. The roots are made under build-fresh-root/ and
# deleted at the end (KEEP=1 keeps them). Prints one row per figure and exits
# non-zero when a step fails.
#   sudo bench/first_run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
project=$PWD
mirror=${MIRROR:-http://deb.debian.org/debian}

if [ "$(id -u)" -ne 0 ]; then
  echo "first_run.sh: needs root (debootstrap, chroot and bind mounts)" >&2
  exit 2
fi
scripts/setup.sh >/dev/null
command -v debootstrap >/dev/null ||
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap >/dev/null

work=$project/build-fresh-root
mkdir -p "$work"
roots=()
xvfb_pid=""

# Ends every program running inside a root (the window, the text editor).
stop_programs() {
  local root=$1 pid
  for pid in /proc/[0-9]*; do
    if [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ]; then kill -9 "${pid#/proc/}" 2>/dev/null || true; fi
  done
  sleep 0.5
}
finish() {
  local root
  for root in "${roots[@]}"; do
    stop_programs "$root"
    umount -R "$root" 2>/dev/null || true
    # Never delete through a mount that is still there: it would reach the host's /dev or X sockets.
    if grep -qF " $root" /proc/self/mountinfo; then
      echo "first_run.sh: $root is still mounted; left in place" >&2
    elif [ "${KEEP:-0}" != 1 ]; then
      rm -rf --one-file-system "$root"
    fi
  done
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap finish EXIT

# A display shared by every root: the host's X socket folder is bound into each.
display=:$(( (RANDOM % 400) + 100 ))
mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1
export DISPLAY=$display

# new_root NAME: a fresh Debian 12 root with apt's usual suites and a user
# "ann" who may use sudo, its own mount (so it looks like a machine's "/"
# to the program's disk checks), and /proc, /sys, /dev and the X sockets.
new_root() {
  local root=$work/$1
  if grep -qF " $root" /proc/self/mountinfo; then  # left by a stopped run: never delete through it
    echo "first_run.sh: $root is still mounted; unmount it (umount -R) first" >&2
    exit 1
  fi
  rm -rf --one-file-system "$root"
  debootstrap bookworm "$root" "$mirror" >"$work/$1-debootstrap.log" 2>&1
  roots+=("$root")
  rm -f "$root/etc/apt/sources.list"
  cat >"$root/etc/apt/sources.list.d/debian.sources" <<EOF
Types: deb
URIs: $mirror
Suites: bookworm bookworm-updates
Components: main

Types: deb
URIs: ${mirror%/debian}/debian-security
Suites: bookworm-security
Components: main
EOF
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  mount --bind "$root" "$root"
  local d
  for d in proc sys dev dev/pts; do mount --bind "/$d" "$root/$d"; done
  mkdir -p "$root/tmp/.X11-unix"
  mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
  chroot "$root" sh -c 'apt-get update -q && apt-get install -y -q sudo &&
    useradd -m -s /bin/bash ann && echo "ann ALL=(ALL) NOPASSWD:ALL" > /etc/sudoers.d/ann' >/dev/null
}
as_ann() {  # as_ann ROOT COMMAND: a login shell of ann in that root, on the shared display
  chroot "$1" su - ann -c "export DISPLAY=$display; $2"
}

row() {  # row WHAT HOW SECONDS
  printf '%-34s %-58s %9.1f s\n' "$1" "$2" "$3"
}
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

# shellcheck source=tests/e2e/lib.sh
source tests/e2e/lib.sh
# Memory, its completion box answered, Report; then the sheet must be open in
# the root's default viewer for text (Mousepad, as on an Xfce desktop), whose
# title names the file as the user sees it, "~/...".
# shellcheck disable=SC2088
report_opens_sheet() {
  local sheet=$1 box
  find_window || return 1
  click_memory
  wait_for_window '^TORVIK$' 30 || return 1
  box=$found
  xdotool key --window "$box" Return 2>/dev/null || true  # the box closes on the press: the release finds no window
  sleep 1
  click_report
  wait_for_window "${sheet//./\\.} - Mousepad\$" 20
}

echo "TORVIK first run on fresh Debian 12 roots: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"

# 1. The first README command in a fresh root, from a clean clone.
start=$(date +%s%N)
new_root source
root=$work/source
row "fresh root" "debootstrap bookworm + sudo and a user" "$(( ($(date +%s%N) - start) / 1000000 ))e-3"
git clone -q "$project" "$root/home/ann/torvik"
chroot "$root" chown -R ann:ann /home/ann/torvik

start=$(date +%s%N)
# Its end, when the window is killed below, is not a failure: its shell's
# "Killed" goes nowhere.
as_ann "$root" 'cd torvik && scripts/run.sh >/tmp/run.log 2>&1' 2>/dev/null &
if wait_for_window '^TORVIK Ver3.03$' 900; then
  row "scripts/run.sh to the window" "set-up (apt), configure, build the program, start" \
    "$(( ($(date +%s%N) - start) / 1000000 ))e-3"
  # The desktop's text editor, which a desktop install brings along (only
  # now, so that it takes nothing off the set-up timed above).
  chroot "$root" sh -c 'DEBIAN_FRONTEND=noninteractive apt-get install -y -q mousepad' >/dev/null
  # shellcheck disable=SC2088
  report_opens_sheet "~/torvik/build/src/app/torvik.txt" || fail "Report did not open the sheet of the built program"
else
  fail "scripts/run.sh showed no window (see $root/tmp/run.log)"
fi
stop_programs "$root"

start=$(date +%s%N)
as_ann "$root" 'cd torvik && rm -rf build && scripts/build.sh torvik >/dev/null'
row "build of the program alone" "scripts/build.sh torvik from an empty build folder" \
  "$(( ($(date +%s%N) - start) / 1000000 ))e-3"

start=$(date +%s%N)
as_ann "$root" 'cd torvik && scripts/package.sh >/tmp/package.log 2>&1' || fail "scripts/package.sh failed"
row "scripts/package.sh" "release build of the program, cpack -G DEB" "$(( ($(date +%s%N) - start) / 1000000 ))e-3"
deb=$(ls "$root"/home/ann/torvik/build-package/torvik_*.deb)

# 2. The package on a second fresh root, which has never seen a compiler.
new_root package
root2=$work/package
chroot "$root2" sh -c 'DEBIAN_FRONTEND=noninteractive apt-get install -y -q mousepad libgtk-3-bin' >/dev/null
cp "$deb" "$root2/home/ann/"
start=$(date +%s%N)
as_ann "$root2" "sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q ./$(basename "$deb") >/tmp/install.log 2>&1" ||
  fail "apt could not install the package"
row "apt install of the package" "sudo apt install ./$(basename "$deb")" "$(( ($(date +%s%N) - start) / 1000000 ))e-3"
as_ann "$root2" 'torvik --version' | grep -qx 'TORVIK 3.03' || fail "the installed torvik does not start from the shell"

as_ann "$root2" 'dpkg -L torvik' >"$work/package-files.txt"
# From the menu: the desktop entry, started as the desktop starts it.
as_ann "$root2" 'gtk-launch torvik' >/dev/null 2>&1
# shellcheck disable=SC2088
report_opens_sheet "~/.local/share/Varn/TORVIK/torvik.txt" || fail "Report did not open the sheet of the installed program"
stop_programs "$root2"

as_ann "$root2" 'sudo env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q torvik' >/dev/null 2>&1 ||
  fail "apt could not remove the package"
left=0
while IFS= read -r path; do
  [ -f "$root2$path" ] || [ -L "$root2$path" ] || continue
  echo "left behind: $path"
  left=$((left + 1))
done <"$work/package-files.txt"
[ "$left" -eq 0 ] || fail "apt remove left $left files of the package"
echo "package files: $(grep -c . "$work/package-files.txt") paths installed, $left left after apt remove"

[ "$failed" -eq 0 ] || exit 1
