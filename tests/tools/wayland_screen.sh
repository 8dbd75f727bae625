#!/usr/bin/env bash
# Runs a command on a headless Wayland compositor of its own (Debian's
# weston) and exits with its status:
#   tests/tools/wayland_screen.sh [--renderer pixman|noop|gl] [--xwayland] [--screenshots] WIDTHxHEIGHT command...
# The command gets WAYLAND_DISPLAY and, with --xwayland, the DISPLAY of the
# compositor's XWayland; DISPLAY is removed otherwise, so Qt's Wayland
# platform is the one found. The compositor's runtime folder is a scratch
# folder of its own (removed afterwards), so any number run side by side.
# The renderer: pixman (the default: a real desktop's pixels, in software),
# noop (weston's headless default: nothing drawn) or gl. --screenshots lets
# weston-screenshooter take the screen (weston's debug protocol), into the
# folder it is run in.
set -uo pipefail
renderer=pixman
xwayland=0
screenshots=0
while [ $# -gt 0 ]; do
  case $1 in
    --renderer) renderer=$2; shift 2 ;;
    --xwayland) xwayland=1; shift ;;
    --screenshots) screenshots=1; shift ;;
    *) break ;;
  esac
done
[ $# -ge 2 ] || { echo "usage: $0 [--renderer pixman|noop|gl] [--xwayland] [--screenshots] WxH command..." >&2; exit 2; }
size=$1
shift
command -v weston >/dev/null || { echo "wayland_screen: weston is not installed" >&2; exit 77; }

runtime=$(mktemp -d)
chmod 700 "$runtime"
log="$runtime/weston.log"
# No animation: the screen shows at once what the clients have committed.
cat >"$runtime/weston.ini" <<'INI'
[shell]
startup-animation=none
animation=none
close-animation=none
focus-animation=none
INI
options=(--backend=headless-backend.so --socket=wayland-screen --idle-time=0 "--width=${size%x*}"
         "--height=${size#*x}" "--log=$log" "--config=$runtime/weston.ini")
case $renderer in
  pixman) options+=(--use-pixman) ;;
  gl) options+=(--use-gl) ;;
  noop) ;;
  *) echo "wayland_screen: unknown renderer $renderer" >&2; exit 2 ;;
esac
[ "$xwayland" -eq 1 ] && options+=(--xwayland)
[ "$screenshots" -eq 1 ] && options+=(--debug)

env -u DISPLAY -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$runtime" weston "${options[@]}" >/dev/null 2>&1 &
compositor=$!
trap 'kill "$compositor" 2>/dev/null; wait "$compositor" 2>/dev/null; rm -rf "$runtime"' EXIT

# Ready when the socket is there and, with XWayland, its display is told.
display=""
for _ in $(seq 1 400); do
  kill -0 "$compositor" 2>/dev/null || { echo "wayland_screen: weston did not start" >&2; cat "$log" >&2; exit 1; }
  if [ -S "$runtime/wayland-screen" ]; then
    [ "$xwayland" -eq 0 ] && break
    display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$log" | head -1)
    [ -n "$display" ] && break
  fi
  sleep 0.05
done
[ -S "$runtime/wayland-screen" ] || { echo "wayland_screen: weston made no socket" >&2; exit 1; }
if [ "$xwayland" -eq 1 ]; then
  [ -n "$display" ] || { echo "wayland_screen: weston started no XWayland" >&2; exit 1; }
  XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-screen DISPLAY="$display" "$@"
else
  env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-screen "$@"
fi
