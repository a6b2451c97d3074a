#!/usr/bin/env bash
# Installs the Debian packages Quorvelle needs. Safe to run again: packages already present are
# left as they are.
#   setup.sh            what building and running the program needs
#   setup.sh --test     that, plus what the tests need (a PostgreSQL server for the site-server
#                       tests, GoogleTest, Google Benchmark, the package checks)
#   setup.sh --package  that, plus what building and checking the Debian package needs
set -euo pipefail

run_packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev libxkbcommon-dev libqt6sql6-sqlite libqt6svg6
  libzip-dev libxlsxwriter-dev zlib1g-dev libsqlite3-dev
  libpq-dev libqt6sql6-psql qtkeychain-qt6-dev
  libcurl4-openssl-dev
  libdxflib-dev
  fonts-dejavu-core
)
package_packages=(dpkg-dev file lintian desktop-file-utils appstream)
test_packages=(
  "${package_packages[@]}"
  sqlite3 postgresql postgresql-common
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth poppler-utils dbus-daemon
  python3-aiosmtpd openssl
)

packages=("${run_packages[@]}")
case "${1:-}" in
  "") ;;
  --test) packages+=("${test_packages[@]}") ;;
  --package) packages+=("${package_packages[@]}") ;;
  *) echo "usage: scripts/setup.sh [--test|--package]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
