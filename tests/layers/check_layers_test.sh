#!/usr/bin/env bash
# The layer check on small trees of its own: what it must let through and what it must
# refuse. Usage: check_layers_test.sh CHECK_SCRIPT
set -euo pipefail
check="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0

# A tree with every layer folder of the program, each with one header.
make_tree() {
  rm -rf "$work/tree"
  mkdir -p "$work/tree"
  git -C "$work/tree" init -q
  for layer in core analysis setup storage/db data render pages devices/ui publish app; do
    mkdir -p "$work/tree/src/$layer"
    echo '#pragma once' >"$work/tree/src/$layer/$(basename "$layer").h"
  done
}

expect() {  # expect pass|fail WHAT [TEXT THE OUTPUT MUST HOLD]
  local want="$1" what="$2" text="${3:-}" out rc=0
  out="$("$check" "$work/tree" 2>&1)" || rc=$?
  if { [ "$want" = pass ] && [ "$rc" -ne 0 ]; } || { [ "$want" = fail ] && [ "$rc" -eq 0 ]; } ||
     { [ -n "$text" ] && ! grep -qF -- "$text" <<<"$out"; }; then
    echo "FAILED: $what (exit $rc): $out"
    failures=$((failures + 1))
  fi
}

make_tree
printf '#include "core/core.h"\n#include "storage/db/db.h"\n' >"$work/tree/src/data/reader.cpp"
printf '#include "data/data.h"\n#include "../pages/pages.h"\n' >"$work/tree/src/devices/ui/view.cpp"
expect pass "includes that go down the layers"

make_tree
printf '#include "data/data.h"\n' >"$work/tree/src/storage/db/backend.cpp"
expect fail "the storage layer including the data layer" \
  "src/storage/db/backend.cpp:1: includes src/data/data.h: storage may not include data"

make_tree
printf '#pragma once\n#include "../devices/ui/ui.h"\n' >"$work/tree/src/pages/menu.h"
expect fail "a relative include one layer up" "pages may not include devices"

make_tree
printf '#include "app/app.h"\n' >"$work/tree/src/publish/round.h"
expect fail "an untracked header including the application" "publish may not include app"

make_tree
mkdir -p "$work/tree/src/platform"
expect fail "a folder under src/ that is not a layer" "src/platform: a folder under src/ that is not a layer"

[ "$failures" -eq 0 ] && echo "all layer cases passed"
exit $((failures > 0))
