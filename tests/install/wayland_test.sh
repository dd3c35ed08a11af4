#!/usr/bin/env bash
# An unattended round of the demo on Wayland, started as a user starts it there
# (WAYLAND_DISPLAY set, QT_QPA_PLATFORM unset): Debian's weston with its headless back
# end on a private socket, and an image of every published page, each the size of a
# window maximised on the compositor's 1600 x 1000 output, drawn through Qt's Wayland
# platform plug-in.
#   wayland_test.sh TIDEMARK TIDEMARK_DEMO
set -uo pipefail
# shellcheck source=demo_round.sh
. "$(dirname "$0")/demo_round.sh"
# shellcheck source=wayland_round.sh
. "$(dirname "$0")/wayland_round.sh"
TIDEMARK=$1
DEMO=$2

work=$(mktemp -d "${TMPDIR:-/tmp}/tidemark-wayland-XXXXXX")
cleanup() {
  stop_weston
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

start_weston "$work" || fail "no compositor"
folder=$work/demo/Tidemark
"$DEMO" "$folder" --now '2026-12-08 14:40' >"$work/demo.log" 2>&1 || fail "tidemark-demo: $(tail -n 3 "$work/demo.log")"
wayland_round "$TIDEMARK" "$folder" "$work" || fail "the round on Wayland"
