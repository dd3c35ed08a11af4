#!/usr/bin/env bash
# Makes the Debian package of this build and checks it as a machine would get it: its
# name, the files it holds, Depends as dpkg-shlibdeps found them (the modules' libraries
# too, which no program names) and Recommends, no maintainer scripts, nothing lintian has
# to say even when pedantic (but what an override explains with a reason), and the
# programs it unpacks into a throwaway root: --version, the demo generator, an unattended
# round of the demo offscreen, and one on Wayland as the kiosk starts it.
#   package_test.sh BUILD_DIR VERSION CPACK
set -uo pipefail
# shellcheck source=demo_round.sh
. "$(dirname "$0")/demo_round.sh"
# shellcheck source=wayland_round.sh
. "$(dirname "$0")/wayland_round.sh"
BUILD=$1
VERSION=$2
CPACK=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/tidemark-package-XXXXXX")
cleanup() {
  stop_weston
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
export LC_ALL=C.UTF-8

arch=$(dpkg --print-architecture)
deb=$work/tidemark_${VERSION}_${arch}.deb
if ! (cd "$BUILD" && "$CPACK" -G DEB -B "$work") >"$work/cpack.log" 2>&1 || [ ! -s "$deb" ]; then
  cat "$work/cpack.log" >&2
  ls "$work" >&2
  echo "FAIL: cpack -G DEB made no $(basename "$deb")" >&2
  exit 1
fi
echo "made $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"

# What is in it.
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/contents.txt"
for f in /usr/bin/tidemark /usr/bin/tidemark-demo /usr/lib/tidemark/libtidemark_web.so \
  /usr/lib/tidemark/libtidemark_pdf.so /usr/lib/tidemark/libtidemark_ftp.so /usr/lib/tidemark/libtidemark_postgres.so \
  /usr/share/applications/tidemark.desktop /usr/share/icons/hicolor/scalable/apps/tidemark.svg \
  /usr/share/man/man1/tidemark.1.gz /usr/share/man/man1/tidemark-demo.1.gz /usr/share/tidemark/schema.sql /usr/share/tidemark/schema_postgresql.sql \
  /usr/share/tidemark/Tidemark_site.html \
  /usr/lib/systemd/user/tidemark-kiosk.service /usr/share/doc/tidemark/copyright \
  /usr/share/doc/tidemark/changelog.gz /usr/share/doc/tidemark/kiosk.env.example; do
  grep -qxF "$f" "$work/contents.txt" || fail "the package has no $f"
done
grep -q '^/usr/local' "$work/contents.txt" && fail "the package puts files under /usr/local"

# Depends as dpkg-shlibdeps read them: the program's own libraries, and the browser
# engine, QtPdf and libcurl only the modules name.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libc6 libqt6widgets6 libqt6sql6 libqt6webenginecore6 libqt6pdf6 libcurl4 libqt6sql6-sqlite; do
  grep -qE "(^|, )$package( |,|\$)" <<<"$depends" || fail "Depends has no $package"
done
# The kiosk runs under a Wayland compositor, where Qt needs its Wayland plug-in.
grep -qE "(^|, )qt6-wayland( |,|\$)" <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "Recommends has no qt6-wayland"
# Nothing for dpkg to run: no library of the linker's path, no service of the system.
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -xE 'preinst|postinst|prerm|postrm|config|triggers')
[ -z "$scripts" ] || fail "the package has maintainer scripts: $(tr '\n' ' ' <<<"$scripts")"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "the package is not for $arch"
[ "$(dpkg-deb -f "$deb" Version)" = "$VERSION" ] || fail "the package's version is not $VERSION"

# lintian, pedantic and with its informational tags: anything it says fails the check.
# What the package does on purpose is in its overrides, each with the reason above it.
overrides=usr/share/lintian/overrides/tidemark
if grep -qxF "/$overrides" "$work/contents.txt"; then
  dpkg-deb --fsys-tarfile "$deb" | tar -xO "./$overrides" | awk '
    /^#/ { reason = 1; next }
    /^[ \t]*$/ { reason = 0; next }
    !reason { print "FAIL: the lintian override \"" $0 "\" gives no reason" > "/dev/stderr"; bad = 1 }
    END { exit bad }' || fail "lintian overrides without a reason"
fi
if command -v lintian >/dev/null; then
  # Run as root (a container, CI), lintian says so on standard error: not about the package.
  lintian --pedantic --info --tag-display-limit 0 "$deb" 2>&1 >"$work/lintian.txt" |
    grep -vxF 'running with root privileges is not recommended!' >>"$work/lintian.txt"
  if [ -s "$work/lintian.txt" ]; then
    cat "$work/lintian.txt" >&2
    fail "lintian has something to say about the package"
  fi
else
  fail "lintian is not installed"
fi

# A throwaway root: the unpacked programs run from where they are, and take their
# modules from the package's own lib/tidemark.
root=$work/root
dpkg -x "$deb" "$root" || fail "dpkg -x"
grep -qxF "ExecStart=/usr/bin/tidemark \${TIDEMARK_SECONDS} --folder \${TIDEMARK_FOLDER}" \
  "$root/usr/lib/systemd/user/tidemark-kiosk.service" || fail "the packaged service does not run /usr/bin/tidemark"
version=$("$root/usr/bin/tidemark" --version | head -n 1)
[ "$version" = "tidemark (Tidemark) $VERSION" ] || fail "the packaged tidemark --version says '$version'"
folder=$work/demo/Tidemark
if ! "$root/usr/bin/tidemark-demo" "$folder" --now '2026-12-08 14:40' >"$work/demo.log" 2>&1; then
  cat "$work/demo.log" >&2
  fail "the packaged tidemark-demo could not write a demo folder"
fi
status=0
QT_QPA_PLATFORM=offscreen LD_DEBUG=files timeout 300 "$root/usr/bin/tidemark" 1 --headless --folder "$folder" \
  >"$work/round.out" 2>"$work/round.err" || status=$?
[ "$status" -eq 0 ] || fail "the packaged tidemark's unattended round ended with $status: $(grep -v '^ *[0-9]*:' "$work/round.err" | tail -n 3)"
check_demo_round "$folder" "$work/round.out" || fail "the packaged tidemark's round did not write every image"
for module in web pdf; do
  grep -q "file=$root/usr/lib/tidemark/libtidemark_$module.so " "$work/round.err" ||
    fail "the packaged tidemark did not load libtidemark_$module.so from the package's lib/tidemark"
done

# The kiosk's round: the compositor gives WAYLAND_DISPLAY, nothing names Qt's platform.
if command -v weston >/dev/null; then
  rm -f "$folder"/Tidemark_window*.png
  if start_weston "$work"; then
    wayland_round "$root/usr/bin/tidemark" "$folder" "$work" || fail "the packaged tidemark's round on Wayland"
  else
    fail "no compositor for the round on Wayland"
  fi
  stop_weston
else
  fail "weston is not installed"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package in order"
