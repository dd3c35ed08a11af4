#!/usr/bin/env bash
# Builds the fuzz targets of the program's file readers with clang (libFuzzer + ASan +
# UBSan) in their own folder and runs each for FUZZ_SECONDS (default 30) on a copy of
# its seed corpus: the setup file, the frequency table, the alert report, the
# publishing settings file and the .xlsx workbook. Exits non-zero when the build fails
# or a fuzzer finds a crash, a hang or a leak; the failing input is kept in the build
# folder.
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

# The readers and what they link: none of them needs Qt.
SOURCES=("$ROOT"/src/setup/*.cpp "$ROOT"/src/analysis/*.cpp "$ROOT"/src/core/*.cpp
         "$ROOT"/src/data/alert_report.cpp "$ROOT"/src/publish/publish_settings.cpp
         "$ROOT"/src/publish/image_names.cpp)

# The workbook readers and the in-memory database they fill, over Qt Core, QuaZip,
# FreeXL and SQLite (the libraries themselves are not instrumented).
WORKBOOK_SOURCES=("$ROOT"/src/storage/db/workbook.cpp "$ROOT"/src/storage/db/xls_workbook.cpp
                  "$ROOT"/src/storage/db/xlsx_workbook.cpp "$ROOT"/src/storage/db/xml_scanner.cpp
                  "$ROOT"/src/storage/db/sqlite_copy.cpp)
read -r -a QT_FLAGS <<<"$(pkg-config --cflags Qt6Core quazip1-qt6 freexl sqlite3) -fPIC"
read -r -a QT_LIBS <<<"$(pkg-config --libs Qt6Core quazip1-qt6 freexl sqlite3)"
mkdir -p "$OUT/workbook"

echo "fuzz: building with $CXX"
printf '%s\n' "${WORKBOOK_SOURCES[@]}" | xargs -P "$JOBS" -I{} sh -c '
  src="$1"; shift; out="$1"; shift
  obj="$out/workbook/$(basename "$src" .cpp).o"
  "$@" -fsanitize=fuzzer-no-link -c "$src" -o "$obj"
' _ {} "$OUT" "$CXX" "${FLAGS[@]}" "${QT_FLAGS[@]}"
printf '%s\n' "${SOURCES[@]}" | xargs -P "$JOBS" -I{} sh -c '
  src="$1"; shift; out="$1"; shift
  obj="$out/obj/$(echo "$src" | sed "s|.*/src/||; s|/|_|g").o"
  "$@" -fsanitize=fuzzer-no-link -c "$src" -o "$obj"
' _ {} "$OUT" "$CXX" "${FLAGS[@]}"

# target name : seed corpus folder
TARGETS=(setup_reader:setup_corpus frequency:frequency_corpus alert_report:alert_corpus
         publish_settings:publish_corpus workbook:workbook_corpus)
failed=0
for entry in "${TARGETS[@]}"; do
  name="${entry%%:*}"
  corpus_dir="${entry##*:}"
  if [ "$name" = workbook ]; then
    "$CXX" "${FLAGS[@]}" "${QT_FLAGS[@]}" -fsanitize=fuzzer "$ROOT/tests/fuzz/${name}_fuzz.cpp" "$OUT"/workbook/*.o \
      "$OUT"/obj/core_*.o "${QT_LIBS[@]}" -o "$OUT/${name}_fuzz"
  else
    "$CXX" "${FLAGS[@]}" -fsanitize=fuzzer "$ROOT/tests/fuzz/${name}_fuzz.cpp" "$OUT"/obj/*.o -o "$OUT/${name}_fuzz"
  fi
  CORPUS="$(mktemp -d)"
  cp "$ROOT/tests/fuzz/$corpus_dir"/* "$CORPUS"/
  echo "fuzz: running ${name}_fuzz for ${RUN_SECONDS}s"
  status=0
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0" \
    "$OUT/${name}_fuzz" -max_total_time="$RUN_SECONDS" -timeout=20 -rss_limit_mb=2048 -max_len=16384 \
    -print_final_stats=1 -artifact_prefix="$OUT/${name}-" "$CORPUS" >"$OUT/${name}.log" 2>&1 || status=$?
  rm -rf "$CORPUS"
  tail -n 4 "$OUT/${name}.log"
  if [ "$status" -ne 0 ]; then
    echo "fuzz: ${name}_fuzz failed (status $status); see $OUT/${name}.log" >&2
    failed=1
  fi
done
rm -rf /tmp/tidemark-fuzz-*
if [ "$failed" -ne 0 ]; then exit 1; fi
echo "fuzz: no crash"
