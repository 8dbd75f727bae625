#!/usr/bin/env bash
# The README's screenshots of the window of today's machine: on a virtual X
# server of 1280 x 1024, the program's window and its 現行マシン計測 window,
# the cores, ram and drive groups run by their buttons one after another,
# the screen taken after each: docs/machine-cores.png, machine-ram.png,
# machine-drive.png. The drive group's test file (256 MiB, the settings'
# Drive/FileSize) is made in FOLDER, which must be on a real disk; the
# settings and the results store are a scratch HOME's, removed at the end.
#   bench/machine_screenshots.sh BUILD_DIR FOLDER [LANGUAGE]   (LANGUAGE: ja or en; ja by default)
set -euo pipefail
build=${1:?usage: machine_screenshots.sh BUILD_DIR FOLDER [ja|en]}
folder=$(realpath "${2:?usage: machine_screenshots.sh BUILD_DIR FOLDER [ja|en]}")
language=${3:-ja}
out=$(realpath "$(dirname "$0")/../docs")
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/.config/Varn" "$home/runtime"
chmod 0700 "$home/runtime"
printf '[Locate]\nDrv=%s/\nDrive\\FileSize=256M\n' "$folder" >"$home/.config/Varn/TORVIK.conf"
if [ "$language" = ja ]; then locale=(LC_ALL=C.UTF-8 LANGUAGE=ja); else locale=(LC_ALL=C.UTF-8 LANGUAGE=en); fi
env HOME="$home" XDG_RUNTIME_DIR="$home/runtime" "${locale[@]}" QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/torvik_machine_shots" "$out" cores ram drive
ls -l "$out"/machine-*.png
