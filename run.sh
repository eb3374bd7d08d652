#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job. Until the Velmora program exists
# the main job is the benchmark suite: every program in bench/ runs once and a summary follows.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"

if [[ -x build/default/bin/velmora ]]; then
  exec build/default/bin/velmora "$@"
fi

out=build/default/bench-results
mkdir -p "$out"
status=0
shopt -s nullglob
for b in build/default/bin/bench_*; do
  name=$(basename "$b")
  echo "== $name"
  if ! "$b" --benchmark_min_time=0.05 --benchmark_out="$out/$name.json" --benchmark_out_format=json; then
    echo "!! $name failed"; status=1
  fi
done
echo
echo "Benchmark results written to $out/"
exit $status
