#!/usr/bin/env bash
# Builds the setup-reader fuzz target with clang (libFuzzer + ASan + UBSan) in its own
# folder and runs it for FUZZ_SECONDS (default 30) on a copy of the seed corpus.
# Exits non-zero when the build fails or the fuzzer finds a crash; the crashing input is
# kept in the build folder.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
OUT="${FUZZ_BUILD:-$ROOT/build-fuzz}"
RUN_SECONDS="${FUZZ_SECONDS:-30}"
JOBS="${JOBS:-2}"

CXX="$(command -v clang++ || command -v clang++-14 || true)"
if [ -z "$CXX" ]; then
  echo "fuzz: clang++ not found" >&2
  exit 1
fi

mkdir -p "$OUT/obj"
FLAGS=(-std=c++20 -O1 -g -fno-omit-frame-pointer -I"$ROOT/src" -I"$ROOT/tests" -Wall -Wextra
       -fsanitize=address,undefined -fno-sanitize-recover=undefined)

# The reader and what it links: setup, analysis (the frequency table) and core.
SOURCES=("$ROOT"/src/setup/*.cpp "$ROOT"/src/analysis/*.cpp "$ROOT"/src/core/*.cpp)

echo "fuzz: building with $CXX"
printf '%s\n' "${SOURCES[@]}" | xargs -P "$JOBS" -I{} sh -c '
  src="$1"; shift; out="$1"; shift
  obj="$out/obj/$(echo "$src" | sed "s|.*/src/||; s|/|_|g").o"
  "$@" -fsanitize=fuzzer-no-link -c "$src" -o "$obj"
' _ {} "$OUT" "$CXX" "${FLAGS[@]}"
"$CXX" "${FLAGS[@]}" -fsanitize=fuzzer "$ROOT/tests/fuzz/setup_reader_fuzz.cpp" "$OUT"/obj/*.o \
  -o "$OUT/setup_reader_fuzz"

CORPUS="$(mktemp -d)"
trap 'rm -rf "$CORPUS"' EXIT
cp "$ROOT"/tests/fuzz/setup_corpus/* "$CORPUS"/

echo "fuzz: running setup_reader_fuzz for ${RUN_SECONDS}s"
status=0
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  "$OUT/setup_reader_fuzz" -max_total_time="$RUN_SECONDS" -timeout=20 -rss_limit_mb=2048 -max_len=16384 \
  -print_final_stats=1 -artifact_prefix="$OUT/" "$CORPUS" >"$OUT/fuzz.log" 2>&1 || status=$?
tail -n 15 "$OUT/fuzz.log"
if [ "$status" -ne 0 ]; then
  echo "fuzz: setup_reader_fuzz failed (status $status); see $OUT/fuzz.log" >&2
  exit 1
fi
echo "fuzz: no crash"
