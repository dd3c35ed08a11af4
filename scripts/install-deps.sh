#!/usr/bin/env bash
# Installs every Debian package Tidemark needs to build, test, benchmark and run.
# Idempotent: does nothing when all packages are already present.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-webengine-dev qt6-declarative-dev qt6-webchannel-dev qt6-pdf-dev libqt6sql6-sqlite libqt6sql6-odbc libpq-dev
  libgl-dev zlib1g-dev libisal-dev unixodbc-dev odbc-mdbtools mdbtools libcurl4-openssl-dev sqlite3 libsqlite3-dev libsqliteodbc
  # SFTP's one-step replace (posix-rename@openssh.com), which libcurl's libssh2 never sends
  libssh-dev
  # Access files (libmdb), .xls (FreeXL) and .xlsx (QuaZip) read as databases; workbooks
  # written by the tests (openpyxl, xlwt)
  mdbtools-dev libfreexl-dev libquazip1-qt6-dev python3-openpyxl python3-xlwt
  libgtest-dev libgmock-dev libbenchmark-dev python3-pyftpdlib postgresql
  # a private MariaDB server for the tests, read through the MariaDB ODBC driver (the
  # package registers it in /etc/odbcinst.ini as "MariaDB Unicode")
  mariadb-server mariadb-client odbc-mariadb
  fonts-liberation2 fonts-dejavu-core xvfb xauth openbox gnuplot-nox python3-matplotlib clang-format ccache
  # FTPS test server (TLS for pyftpdlib), test certificates and keys, the SFTP test server
  python3-openssl openssl openssh-server
  # the published web page parsed as HTML5 in the tests, any parse error failing them
  python3-html5lib
  # the WebDAV test server for publishing by HTTPS (nginx with its dav module)
  nginx-light
  # printing: Qt's CUPS plugin, the test scheduler with its PDF queues, and the PDF checks
  libqt6printsupport6 cups printer-driver-cups-pdf poppler-utils
  # checks of the installed tree: desktop entry, launcher, manual page, user service
  desktop-file-utils libglib2.0-bin man-db groff-base systemd
  # profiling the benchmarks (perf record / perf report)
  linux-perf
  # the Debian package: dpkg-shlibdeps for its Depends, lintian to check it
  dpkg-dev file lintian
  # Wayland: Qt's client plug-in, a headless compositor for the tests, a kiosk compositor
  # (cage, which starts Xwayland)
  qt6-wayland weston cage xwayland
  # the published web page checked in a real browser: Debian's chromium, driven from node
  # by puppeteer-core with axe-core (npm packages pinned in tests/browser/package-lock.json,
  # installed by scripts/install-browser-deps.sh)
  chromium nodejs
)
# Debian's npm, unless the installed nodejs brings its own (NodeSource's does, and
# conflicts with Debian's).
if ! command -v npm >/dev/null 2>&1; then
  PACKAGES+=(npm)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
