#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test through CTest.
# Usage: ./test.sh [preset...]   (default: the optimised build; CI adds the sanitizer build)
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
python3 scripts/check-layering.py

presets=("$@")
if ((${#presets[@]} == 0)); then presets=(default); fi

jobs=$(nproc)
for preset in "${presets[@]}"; do
  echo "== $preset: configure"
  cmake --preset "$preset" >/dev/null
  echo "== $preset: build"
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset: test"
  ctest --preset "$preset" -j "$jobs"
done
