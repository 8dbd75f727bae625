#!/usr/bin/env bash
# The README's screenshot of the report page on a phone: a scratch store of
# three machines' imported sheets (the repository's own sheet under other PC
# names and days) and this machine's own Memory runs, its page written by
# `torvik --html` and taken by headless Chromium 390 px wide:
# docs/page-phone.png. The scratch HOME is removed at the end.
#   bench/page_screenshot.sh BUILD_DIR [LANGUAGE]   (LANGUAGE: en or ja; en by default)
set -euo pipefail
build=$(realpath "${1:?usage: page_screenshot.sh BUILD_DIR [en|ja]}")
language=${2:-en}
root=$(realpath "$(dirname "$0")/..")
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/runtime" && chmod 0700 "$home/runtime"
run() { env HOME="$home" XDG_RUNTIME_DIR="$home/runtime" LC_ALL=C.UTF-8 LANGUAGE="$language" \
  QT_QPA_PLATFORM=offscreen "$build/src/app/torvik" "$@"; }
day=1
for name in "desk-a" "lab-pc 実験室のワークステーション" "build-server-with-a-rather-long-name-in-the-rack"; do
  sed -e "s/^   PC-Name       : .*/   PC-Name       : $name/" \
      -e "s/^   Date          : 8 Dec 2026/   Date          : $day Dec 2026/" \
      "$root/tests/data/sheets/all-run-xvfb.txt" >"$home/sheet-$day.txt"
  run --import "$home/sheet-$day.txt" >/dev/null
  day=$((day + 1))
done
run --run memory --repeat 3 --quiet >/dev/null
run --html "$home/page.html" >/dev/null
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=390,1800 \
  --screenshot="$root/docs/page-phone.png" "file://$home/page.html" 2>/dev/null
ls -l "$root/docs/page-phone.png"
