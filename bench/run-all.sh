#!/usr/bin/env bash
# Runs every speed and memory benchmark, one after the other, on an existing build; builds
# nothing. Each has a time limit of its own: one that overruns or fails is reported and
# the rest still run. Exits non-zero when any of them failed or overran.
#
#   bench/run-all.sh [BUILD_DIR]      (default: build)
#
# The figures are medians of interleaved rounds; on a machine that is busy with other
# work they move with that work, so compare runs made under the same load.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" 2>/dev/null && pwd)" || {
  echo "run-all: no build folder ${1:-$ROOT/build} (configure and build first)" >&2
  exit 2
}
TIDEMARK="$BUILD/src/app/tidemark"
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1

failed=()
# step NAME SECONDS COMMAND...
step() {
  local name="$1" seconds="$2"
  shift 2
  echo
  echo "== $name ($(date '+%H:%M:%S'), at most ${seconds} s)"
  if [ ! -x "$1" ] && ! command -v "$1" >/dev/null; then
    echo "run-all: $1 is missing: build it first" >&2
    failed+=("$name (missing)")
    return
  fi
  timeout --kill-after=30 "$seconds" "$@"
  local status=$?
  if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
    echo "run-all: $name overran ${seconds} s" >&2
    failed+=("$name (overran)")
  elif [ "$status" -ne 0 ]; then
    echo "run-all: $name failed with status $status" >&2
    failed+=("$name (status $status)")
  fi
}

step "page vs plotters, 1 page, smooth series" 900 python3 "$ROOT/bench/whole_process/page_vs_plotters.py" \
  --tidemark "$TIDEMARK"
step "page vs plotters, 1 page, jitter" 900 python3 "$ROOT/bench/whole_process/page_vs_plotters.py" --series jitter \
  --tidemark "$TIDEMARK"
step "page vs plotters, 50 pages, smooth series" 2400 python3 "$ROOT/bench/whole_process/page_vs_plotters.py" \
  --pages 50 --tidemark "$TIDEMARK"
step "peak memory of 1, 10 and 100 pages" 1800 python3 "$ROOT/bench/whole_process/page_vs_plotters.py" \
  --memory 1,10,100 --tidemark "$TIDEMARK"
step "PostgreSQL fetch, near and far" 1800 "$BUILD/bench/postgres/bench_postgres"
step "SQLite fetch" 900 "$BUILD/bench/fetch/bench_fetch"
step "JSON export memory" 1800 python3 "$ROOT/bench/whole_process/json_memory.py" --tidemark "$TIDEMARK"
step "start and unattended run" 900 "$BUILD/bench/app/bench_app"
step "web screens" 900 "$BUILD/bench/web/bench_web"
step "loading files" 900 python3 "$ROOT/bench/loader/load_files.py" --load "$BUILD/tools/load/tidemark-load"

echo
if [ "${#failed[@]}" -gt 0 ]; then
  printf 'run-all: not all ran through: %s\n' "${failed[@]}" >&2
  exit 1
fi
echo "run-all: every benchmark ran"
