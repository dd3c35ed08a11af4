#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a system gets from it: the
# programs, a desktop entry a launcher accepts and starts, a manual page that renders
# cleanly and keeps up with the program's options, files and environment, the schema,
# and a user service that systemd accepts.
#   install_test.sh BUILD_DIR SOURCE_DIR VERSION CMAKE
set -uo pipefail
BUILD=$1
SOURCE=$2
VERSION=$3
CMAKE=$4

work=$(mktemp -d "${TMPDIR:-/tmp}/tidemark-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
export LC_ALL=C.UTF-8

prefix=$work/prefix
if ! "$CMAKE" --install "$BUILD" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  echo "FAIL: cmake --install" >&2
  exit 1
fi

desktop=$prefix/share/applications/tidemark.desktop
icon=$prefix/share/icons/hicolor/scalable/apps/tidemark.svg
page=$prefix/share/man/man1/tidemark.1.gz
unit=$prefix/lib/systemd/user/tidemark-kiosk.service
for f in bin/tidemark bin/tidemark-demo bin/tidemark-load; do
  [ -x "$prefix/$f" ] || fail "$f is not an installed program"
done
for f in "$desktop" "$icon" "$page" "$unit" "$prefix/share/man/man1/tidemark-load.1.gz" \
  "$prefix/lib/systemd/user/tidemark-load.service" "$prefix/share/doc/tidemark/kiosk.env.example" \
  "$prefix/share/doc/tidemark/copyright" "$prefix/share/doc/tidemark/changelog.gz"; do
  [ -s "$f" ] || fail "${f#"$prefix"/} is missing"
done
for f in schema.sql schema_postgresql.sql; do
  cmp -s "$SOURCE/db/$f" "$prefix/share/tidemark/$f" || fail "share/tidemark/$f differs from db/$f"
done

# The installed program runs from where it was put.
version=$("$prefix/bin/tidemark" --version | head -n 1)
[ "$version" = "tidemark (Tidemark) $VERSION" ] || fail "installed tidemark --version says '$version'"

# The browser engine, the PDF drawing and the FTP client are modules the program loads
# when first needed: the installed program takes its own (the demo has web screens and a
# PDF), and starts without their libraries linked.
for library in WebEngine Qt6Pdf libcurl; do
  ldd "$prefix/bin/tidemark" | grep -q "$library" && fail "the installed tidemark links $library"
done
now='2026-12-08 14:40'
if "$prefix/bin/tidemark-demo" "$work/demo/Tidemark" --now "$now" >/dev/null 2>&1; then
  if ! QT_QPA_PLATFORM=offscreen LD_DEBUG=files "$prefix/bin/tidemark" --folder "$work/demo/Tidemark" \
    --render-pages "$work/pages" --now "$now" >/dev/null 2>"$work/render.err"; then
    fail "the installed tidemark --render-pages: $(grep -v '^ *[0-9]*:' "$work/render.err" | tail -n 3)"
  fi
  for module in web pdf; do
    grep -q "file=$prefix/lib/tidemark/libtidemark_$module.so " "$work/render.err" ||
      fail "the installed tidemark did not load libtidemark_$module.so from lib/tidemark"
  done
else
  fail "the installed tidemark-demo could not write a demo folder"
fi

# Desktop entry: valid, its icon is the one installed, and a launcher starts the program
# on the kiosk's default folder (a stand-in program records what it was given).
if ! out=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$out" ]; then
  fail "desktop-file-validate: $out"
fi
grep -qx 'Icon=tidemark' "$desktop" || fail "the desktop entry's icon is not tidemark"
mkdir -p "$work/fake/bin" "$work/home"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s"\n' "$work/fake/args" >"$work/fake/bin/tidemark"
chmod +x "$work/fake/bin/tidemark"
(cd "$work" && env -u TIDEMARK_FOLDER PATH="$work/fake/bin:$PATH" HOME="$work/home" gio launch "$desktop") ||
  fail "gio launch of the desktop entry"
for _ in $(seq 50); do [ -s "$work/fake/args" ] && break; sleep 0.1; done
expected=$(printf -- '--folder\n%s/home/Tidemark' "$work")
[ "$(cat "$work/fake/args" 2>/dev/null)" = "$expected" ] ||
  fail "the desktop entry started: $(tr '\n' ' ' <"$work/fake/args" 2>/dev/null)"

/usr/bin/python3 - "$icon" <<'PY' || fail "the icon is not an SVG drawing with a square view box"
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
box = root.get("viewBox", "").split()
assert root.tag == "{http://www.w3.org/2000/svg}svg" and len(box) == 4 and box[2] == box[3], box
PY

# Manual pages: no warnings from groff or man, and every option of a program's --help
# with an entry of its own under OPTIONS (a tag at the outer indent).
check_manual_page() {
  local page=$1 program=$2 text=$3 out option
  if ! out=$(gzip -dc "$page" | groff -man -Tutf8 -ww -z 2>&1) || [ -n "$out" ]; then fail "groff $page: $out"; fi
  if ! MANWIDTH=80 man --warnings -P cat -l "$page" >"$text" 2>"$work/man.err" || [ -s "$work/man.err" ]; then
    fail "man -l $page: $(cat "$work/man.err")"
  fi
  sed -n '/^OPTIONS/,/^[A-Z]/p' "$text" | grep -E '^ {7}-' >"$work/tags.txt"
  for option in $("$program" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -qE -- "(^ *|[ ,])$option([ ,=]|\$)" "$work/tags.txt" || fail "the OPTIONS of $page have no $option"
  done
}
check_manual_page "$page" "$prefix/bin/tidemark" "$work/page.txt"
demo_page=$prefix/share/man/man1/tidemark-demo.1.gz
if [ -s "$demo_page" ]; then
  check_manual_page "$demo_page" "$prefix/bin/tidemark-demo" "$work/demo-page.txt"
else
  fail "share/man/man1/tidemark-demo.1.gz is missing"
fi
for name in $(grep -rhoE '"TIDEMARK_[A-Z_]+"' "$SOURCE/src" | tr -d '"' | sort -u) QT_QPA_PLATFORM VISUAL EDITOR; do
  grep -qw -- "$name" "$work/page.txt" || fail "the manual page does not describe $name"
done
for name in Tidemark_setup.txt Tidemark_setup_backup.txt Tidemark_OnOff.txt Tidemark_Frequency.txt \
  Tidemark_autoweb.txt Streamkeep_Alert.txt Tidemark_window Tidemark_graph; do
  grep -rqF "\"$name" "$SOURCE/src" || fail "the program no longer names $name"
  grep -qF "$name" "$work/page.txt" || fail "the manual page does not name $name"
done
for status in 0 1 2; do
  sed -n '/^EXIT STATUS/,/^[A-Z]/p' "$work/page.txt" | grep -qE "^ +$status( |\$)" ||
    fail "the manual page's EXIT STATUS has no $status"
done

# User service: systemd accepts it as it is, it runs the installed program, and the
# password stays off the command line.
grep -qxF "ExecStart=$prefix/bin/tidemark \${TIDEMARK_SECONDS} --folder \${TIDEMARK_FOLDER}" "$unit" ||
  fail "unexpected $(grep '^ExecStart=' "$unit")"
grep '^ExecStart=' "$unit" | grep -qi password && fail "the password is on the service's command line"
# verify also looks the unit's Documentation= page up, in the installed manual pages.
mkdir -p "$work/run" && chmod 700 "$work/run"
if ! out=$(HOME="$work/home" XDG_RUNTIME_DIR="$work/run" MANPATH="$prefix/share/man:" \
  systemd-analyze --user verify "$unit" 2>&1) ||
  [ -n "$out" ]; then
  fail "systemd-analyze verify: $out"
fi

# A package build stages the files under DESTDIR; the service still names the final place.
if DESTDIR=$work/stage "$CMAKE" --install "$BUILD" --prefix /opt/tidemark >"$work/stage.log" 2>&1; then
  grep -q '^ExecStart=/opt/tidemark/bin/tidemark ' "$work/stage/opt/tidemark/lib/systemd/user/tidemark-kiosk.service" ||
    fail "a staged service does not run /opt/tidemark/bin/tidemark"
  [ -x "$work/stage/opt/tidemark/bin/tidemark" ] || fail "DESTDIR was not honoured"
else
  cat "$work/stage.log" >&2
  fail "cmake --install with DESTDIR"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install tree in order"
