#!/usr/bin/env bash
# Installs the browser test's npm packages (puppeteer-core, axe-core), exactly as
# tests/browser/package-lock.json pins them, into a folder of their own (default
# build/browser-deps). Does nothing when that folder already holds what the lock file
# names.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
DEST="${1:-$ROOT/build/browser-deps}"
LOCK="$ROOT/tests/browser/package-lock.json"

if ! command -v npm >/dev/null; then
  echo "install-browser-deps: npm is missing (scripts/install-deps.sh installs it)" >&2
  exit 1
fi

want="$(sha256sum "$ROOT/tests/browser/package.json" "$LOCK" | sha256sum | cut -d' ' -f1)"
if [ -f "$DEST/.installed" ] && [ "$(cat "$DEST/.installed")" = "$want" ] && [ -d "$DEST/node_modules" ]; then
  exit 0
fi

mkdir -p "$DEST"
cp "$ROOT/tests/browser/package.json" "$LOCK" "$DEST/"
# No install scripts: puppeteer-core downloads no browser, and the system's chromium is used.
(cd "$DEST" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
echo "$want" >"$DEST/.installed"
