#!/usr/bin/env bash
# Runs a command on a private X server (Xvfb) under the openbox window manager, so
# window frames and placement are those of a real desktop rather than the offscreen
# platform's. Exits with the command's status.
set -euo pipefail

work=$(mktemp -d)
xvfb=""
wm=""
cleanup() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The server picks a free display number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"

openbox --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 100); do
  [ -e "$work/wm-ready" ] && break
  sleep 0.1
done
[ -e "$work/wm-ready" ] || { echo "openbox did not start:" >&2; cat "$work/openbox.log" >&2; exit 1; }

QT_QPA_PLATFORM=xcb "$@"
