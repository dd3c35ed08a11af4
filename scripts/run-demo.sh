#!/usr/bin/env bash
# The main job: installs what is missing, builds the program, writes the demo program
# folder (out/demo/Tidemark) and runs Tidemark there.
#   With a display: the window pages through the demo's pages.
#   Without one, or with --headless: `tidemark 1` runs unattended offscreen on a
#   1920 x 1080 screen, writes an image of every published page, lists the images and
#   ends by itself.
# Safe to run again: the demo folder is written afresh each time.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"

HEADLESS=0
for arg in "$@"; do
  case "$arg" in
    --headless) HEADLESS=1 ;;
    -h|--help)
      sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'
      exit 0 ;;
    *) echo "run-demo.sh: unknown argument $arg (use --headless or --help)" >&2; exit 2 ;;
  esac
done

"$ROOT/scripts/install-deps.sh"

JOBS="${JOBS:-2}"
BUILD="${BUILD_DIR:-build}"
echo "== build ($BUILD)" >&2
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target tidemark tidemark-demo >/dev/null

OUT="$ROOT/out/demo"
DEMO="$OUT/Tidemark"
mkdir -p "$OUT"
echo "== demo folder" >&2
"$BUILD"/tools/demo/tidemark-demo "$DEMO" >&2
rm -f "$DEMO"/Tidemark_window*.png

# Qt wants a private runtime folder; give it one that lasts between runs.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$OUT/runtime"
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
fi

if [ "$HEADLESS" -eq 0 ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "== Tidemark on $DEMO (close the window to end)" >&2
  exec "$BUILD"/src/app/tidemark --folder "$DEMO"
fi

echo "== Tidemark unattended, offscreen: one image per page" >&2
cat > "$OUT/screen.json" <<'JSON'
{"screens":[{"name":"s1","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]}
JSON
export QT_QPA_PLATFORM="offscreen:configfile=$OUT/screen.json"
"$BUILD"/src/app/tidemark 1 --headless --folder "$DEMO"
