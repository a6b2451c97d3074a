#!/usr/bin/env bash
# Installs what is missing, builds Quorvelle (Release) into build/ and starts it.
#   --sample   start it on generated demonstration data instead of your own data folder
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

usage() {
  echo "usage: scripts/run.sh [--sample]"
  echo "  --sample  generate demonstration data once into ~/.cache/quorvelle-sample and open it"
}

sample=0
for arg in "$@"; do
  case "$arg" in
    --sample) sample=1 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "unknown option: $arg" >&2; usage >&2; exit 2 ;;
  esac
done

bash "$root/scripts/setup.sh"
# Only the program and the sample tool: the tests and benchmarks need packages running does not.
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUORVELLE_BUILD_TESTS=OFF -DQUORVELLE_BUILD_BENCH=OFF
targets=(quorvelle)
[ "$sample" -eq 1 ] && targets+=(quorvelle_sample_data)
cmake --build "$root/build" --target "${targets[@]}"

if [ "$sample" -eq 1 ]; then
  base="$HOME/.cache/quorvelle-sample"
  data="$base/Documents/Ombrevault/Quorvelle"
  if [ ! -f "$data/QuorvelleVARLO_MM.mdb" ]; then
    "$root/build/tools/quorvelle_sample_data" "$data"
  fi
  # The program finds its data under the documents folder, which the desktop's user-dirs
  # file names; a config home of its own points it at the sample's documents folder.
  mkdir -p "$base/config"
  printf 'XDG_DOCUMENTS_DIR="%s"\n' "$base/Documents" > "$base/config/user-dirs.dirs"
  export XDG_CONFIG_HOME="$base/config"
fi

exec "$root/build/quorvelle"
