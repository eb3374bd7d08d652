#!/usr/bin/env bash
# Installs what is missing, builds, and starts the Velmora program. Where it could not be built
# (no Qt 6), the benchmark suite runs instead: every program in bench/ once, then a summary.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"

if [[ -x build/default/bin/velmora ]]; then
  if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display to show Velmora on: start it under a virtual one with 'xvfb-run -a ./run.sh [drawing.vlm]'." >&2
    exit 1
  fi
  # Without a file the sample drawing kept in the repository opens.
  if [[ $# -eq 0 ]]; then set -- samples/sample.vlm; fi
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
