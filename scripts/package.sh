#!/usr/bin/env bash
# Installs what is missing, builds Quorvelle (Release) into build-package/ and makes the Debian
# package there; prints the package's path.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-package"

bash "$root/scripts/setup.sh" --package
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUORVELLE_BUILD_TESTS=OFF -DQUORVELLE_BUILD_BENCH=OFF
cmake --build "$build" --target quorvelle quorvelle_package_docs
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/quorvelle_*.deb
