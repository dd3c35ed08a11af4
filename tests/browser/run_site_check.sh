#!/usr/bin/env bash
# The browser check of the published web page (site_page_check.js) on the pages the
# program writes: the demo's, one whose names are hostile, and the demo's again while the
# program writes its next round into the folder the open page comes from.
# Usage: run_site_check.sh TIDEMARK TIDEMARK_DEMO DEPS_FOLDER [RESULTS_JSON] [SHOT_PNG]
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
TIDEMARK="$1" DEMO="$2" DEPS="$3"
RESULTS="${4:-}" SHOT="${5:-}"
CHROMIUM="${TIDEMARK_CHROMIUM:-$(command -v chromium || true)}"
if [ -z "$CHROMIUM" ]; then
  echo "run_site_check: Debian's chromium is missing (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
"$ROOT/scripts/install-browser-deps.sh" "$DEPS"

WORK="$(mktemp -d "${TMPDIR:-/tmp}/tidemark-browser.XXXXXX")"
trap 'rm -rf "$WORK"' EXIT
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
NOW="2024-03-01 07:25" LATER="2024-03-01 13:25"

render() {  # FOLDER OUT NOW
  timeout 120 "$TIDEMARK" --folder "$1" --render-pages "$2" --now "$3" >"$WORK/render.log" 2>&1 ||
    { cat "$WORK/render.log" >&2; return 1; }
}

timeout 60 "$DEMO" "$WORK/demo" --now "$NOW" >/dev/null
render "$WORK/demo" "$WORK/site" "$NOW"

# Names that are markup, quotes, a long word with no place to break, and 8-bit text.
cp -r "$WORK/demo" "$WORK/hostile"
/usr/bin/python3 - "$WORK/hostile/Tidemark_setup.txt" <<'PY'
import sys
path = sys.argv[1]
text = open(path, 'rb').read()
for old, new in [
    (b'Station Notes', b'<script>alert(1)</script> Notes & "quotes"'),
    (b'Harbor Point', b"Harbor'Point<img src=x onerror=alert(2)>" + b'Z' * 80),
    (b'Willow River', b'Willow \xc9tang </table></details></main>'),
]:
    text = text.replace(old, new)
open(path, 'wb').write(text)
PY
render "$WORK/hostile" "$WORK/hostile-site" "$NOW"

cp -r "$WORK/site" "$WORK/live"
# The gauges of a demo report up to its own now: the next round is the demo's six hours on.
timeout 60 "$DEMO" "$WORK/demo-later" --now "$LATER" >/dev/null
node "$HERE/site_page_check.js" --deps "$DEPS" --chromium "$CHROMIUM" \
  --site "demo=$WORK/site" --site "hostile=$WORK/hostile-site" \
  --live "$WORK/live" --rerender "timeout 120 '$TIDEMARK' --folder '$WORK/demo-later' --render-pages '$WORK/live' --now '$LATER' >/dev/null 2>&1" \
  ${RESULTS:+--results "$RESULTS"} ${SHOT:+--shot "$SHOT"}
