#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, runs the tests, and
# builds the Debian package and checks what it holds.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --test
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVELLE_WERROR=ON
cmake --build build-test -j"$(nproc)"
# The server tests run against a throw-away PostgreSQL cluster that pg_virtualenv starts for
# the run (exporting PGHOST, PGPORT, PGUSER, PGPASSWORD) and removes afterwards; where no
# cluster can be started they report themselves skipped.
run_ctest='cd build-test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 300'
# The desktop-notification tests talk to a service on a session bus of the run's own.
if command -v dbus-run-session >/dev/null; then
  run_ctest="dbus-run-session -- bash -c '$run_ctest'"
fi
if command -v pg_virtualenv >/dev/null && pg_virtualenv -t true >/dev/null 2>&1; then
  pg_virtualenv -t bash -c "$run_ctest"
else
  echo "No PostgreSQL cluster could be started: the site server tests will be skipped" >&2
  bash -c "$run_ctest"
fi

rm -f build-test/quorvelle_*.deb
(cd build-test && cpack -G DEB >/dev/null)
bash scripts/check_package.sh build-test/quorvelle_*.deb
