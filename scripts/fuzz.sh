#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz", clang) and runs each: first over its committed seed
# corpus, then over a fixed number of mutated inputs from a fixed seed, so every run is the same.
# Inputs that crash, leak, time out or run out of memory land in build/fuzz/artifacts/.
# Usage: scripts/fuzz.sh [runs per target]   (default: the counts below, about a minute in all)
#        scripts/fuzz.sh --corpus            rewrite tests/fuzz/corpus from the generator
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
bin=build/fuzz/bin

if [[ ${1:-} == --corpus ]]; then
  rm -rf tests/fuzz/corpus
  "$bin/fuzz_corpus" tests/fuzz/corpus
  echo "fuzz: corpus written to tests/fuzz/corpus"
  exit 0
fi

# Runs per target, about half a minute each on an idle machine: the text reader and the document
# open go through real files and the archive loaders rebuild geometry, so they get fewer.
declare -A runs=([archive]=10000 [picture]=20000 [text]=4000 [database]=10000 [document]=50000 [import]=100000
  [clipboard]=100000 [command_cfg]=20000)
if [[ -n ${1:-} ]]; then
  for t in "${!runs[@]}"; do runs[$t]=$1; done
fi

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
# One target's run: new inputs go to a scratch folder first, so the committed corpus stays as
# it is; inputs that once failed stay in the run as seeds, so a fault that returns is found at once.
run_target() {
  local t=$1 work=build/fuzz/work/$1
  rm -rf "$work"
  mkdir -p "$work"
  local seeds=("tests/fuzz/corpus/$t")
  if [[ -d tests/fuzz/regressions/$t ]]; then seeds+=("tests/fuzz/regressions/$t"); fi
  "$bin/fuzz_$t" -seed=1 -runs="${runs[$t]}" -rss_limit_mb=2048 -timeout=5 \
    -artifact_prefix="$artifacts/$t-" "$work" "${seeds[@]}" >"build/fuzz/$t.log" 2>&1
}

# The targets are independent and each runs on one core, so as many run at once as there are
# cores; every target still sees the same seed and count, so each run is the same as before.
targets=(archive picture text database document import clipboard command_cfg)
failed=()
slots=$(nproc)
for t in "${targets[@]}"; do
  while (($(jobs -rp | wc -l) >= slots)); do wait -n || true; done
  echo "== fuzz_$t: ${runs[$t]} runs"
  rm -f "build/fuzz/$t.rc"
  (if run_target "$t"; then echo 0; else echo 1; fi >"build/fuzz/$t.rc") &
done
wait
for t in "${targets[@]}"; do
  if [[ $(cat "build/fuzz/$t.rc" 2>/dev/null) != 0 ]]; then
    tail -n 60 "build/fuzz/$t.log"
    failed+=("$t")
  else
    echo "== fuzz_$t:"
    grep -E '^(#[0-9]+[[:space:]]+INITED|Done)' "build/fuzz/$t.log" || true
  fi
done

if ((${#failed[@]} > 0)); then
  echo "fuzz: failed: ${failed[*]} (inputs in $artifacts, logs in build/fuzz/<target>.log)"
  exit 1
fi
echo "fuzz: all targets passed"
