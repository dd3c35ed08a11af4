#!/usr/bin/env bash
# Installs what is missing, builds everything, runs every test, then builds the unit
# tests again with AddressSanitizer + UndefinedBehaviorSanitizer and runs them.
# Exits non-zero on any failure.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"

"$ROOT/scripts/install-deps.sh"
"$ROOT/scripts/install-browser-deps.sh" "$ROOT/build/browser-deps"

echo "== format"
"$ROOT/scripts/check-format.sh"

echo "== layers"
"$ROOT/scripts/check-layers.sh"

export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
JOBS="${JOBS:-2}"

echo "== build (RelWithDebInfo)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEMARK_WERROR=ON >/dev/null
cmake --build build -j "$JOBS"

echo "== tests"
ctest --test-dir build --output-on-failure -j "$JOBS"

if [ -x "$ROOT/scripts/fuzz.sh" ]; then
  echo "== fuzz"
  "$ROOT/scripts/fuzz.sh"
fi

echo "== unit tests under ASan+UBSan"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTIDEMARK_SANITIZE=ON -DTIDEMARK_UNIT_ONLY=ON -DTIDEMARK_WERROR=ON >/dev/null
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  ctest --test-dir build-asan --output-on-failure -j "$JOBS" -L unit
