#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test through ctest: the unit
# and end-to-end tests, then a short run of each fuzz target under AddressSanitizer and
# UndefinedBehaviorSanitizer. FUZZ_SECONDS sets the length of each fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

echo "== Unit and end-to-end tests"
ctest --test-dir build --output-on-failure --parallel "$(nproc)" --timeout 600

echo "== Fuzz targets (${FUZZ_SECONDS:-60} s each)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTRAVO_FUZZ=ON -DTRAVO_FUZZ_SECONDS="${FUZZ_SECONDS:-60}" >/dev/null
cmake --build build-fuzz --parallel "$(nproc)"
ctest --test-dir build-fuzz --output-on-failure --parallel "$(nproc)" -L fuzz
