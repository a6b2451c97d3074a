#!/usr/bin/env bash
# Installs the Debian packages needed to build, test and run Quorvelle.
# Safe to run again: packages already present are left as they are.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev libxkbcommon-dev libqt6sql6-sqlite libqt6svg6
  libzip-dev libxlsxwriter-dev zlib1g-dev libsqlite3-dev sqlite3
  postgresql postgresql-common libpq-dev libqt6sql6-psql
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core
  dpkg-dev file lintian desktop-file-utils appstream poppler-utils
)

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
