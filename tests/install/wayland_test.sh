#!/usr/bin/env bash
# An unattended round of the demo on Wayland: Debian's weston with its headless back end
# on a private socket (a private XDG_RUNTIME_DIR), the program on Qt's Wayland platform,
# and an image of every published page, each the size of a window maximised on the
# compositor's 1600 x 1000 output (not the 1920 x 1080 screen an offscreen run gets).
#   wayland_test.sh TIDEMARK TIDEMARK_DEMO
set -uo pipefail
# shellcheck source=demo_round.sh
. "$(dirname "$0")/demo_round.sh"
TIDEMARK=$1
DEMO=$2

work=$(mktemp -d "${TMPDIR:-/tmp}/tidemark-wayland-XXXXXX")
weston_pid=
cleanup() {
  if [ -n "$weston_pid" ]; then
    kill "$weston_pid" 2>/dev/null
    wait "$weston_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket=tidemark-test-$$
timeout 600 weston --backend=headless-backend.so --socket="$socket" --idle-time=0 --width=1600 --height=1000 \
  >"$work/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
  [ -S "$XDG_RUNTIME_DIR/$socket" ] && break
  kill -0 "$weston_pid" 2>/dev/null || break
  sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || fail "weston did not start: $(tail -n 5 "$work/weston.log")"

folder=$work/demo/Tidemark
"$DEMO" "$folder" --now '2026-12-08 14:40' >"$work/demo.log" 2>&1 || fail "tidemark-demo: $(tail -n 3 "$work/demo.log")"
# Wayland and nothing else: without a compositor to talk to, the platform fails the start.
status=0
env -u DISPLAY WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland timeout 300 "$TIDEMARK" 1 --folder "$folder" \
  >"$work/round.out" 2>"$work/round.err" || status=$?
[ "$status" -eq 0 ] || fail "the round on Wayland ended with $status: $(tail -n 5 "$work/round.err")"
check_demo_round "$folder" "$work/round.out" || fail "the round on Wayland did not write every image"

sizes=$(file -b "$folder"/Tidemark_window*.png | sed -n 's/^PNG image data, \([0-9]*\) x \([0-9]*\),.*/\1 \2/p' | sort -u)
[ "$(wc -l <<<"$sizes")" -eq 1 ] || fail "the images are of different sizes: $sizes"
read -r width height <<<"$sizes"
{ [ "$width" -gt 1500 ] && [ "$width" -le 1600 ] && [ "$height" -gt 850 ] && [ "$height" -le 1000 ]; } ||
  fail "the images are $width x $height, not a window maximised on the compositor's 1600 x 1000 output"
echo "a round on Wayland wrote every image ($width x $height)"
