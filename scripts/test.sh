#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test through ctest: the unit,
# end-to-end and fault tests; the test programs, the tool they start and the kept fuzz
# inputs under valgrind's memcheck (reads of memory never written); all of the first again
# built with AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer; then each fuzz
# target over its corpus and a fixed number of new inputs (FUZZ_RUNS, from a fixed seed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

# Tests of permissions run as the user nobody (tests/support/unprivileged.sh), who must be
# able to reach the build tree: open the folders above it to others (search only).
if [ "$(id -u)" -eq 0 ]; then
  folder=$PWD
  while [ "$folder" != / ]; do
    [ -n "$(find "$folder" -maxdepth 0 -perm -o+x)" ] || chmod o+x "$folder"
    folder=$(dirname "$folder")
  done
fi

echo "== Unit, end-to-end and fault tests"
ctest --test-dir build --output-on-failure --parallel "$(nproc)" --timeout 600 -LE memcheck

echo "== The same programs and the fuzz corpora under valgrind's memcheck"
ctest --test-dir build --output-on-failure --parallel "$(nproc)" --timeout 1800 -L memcheck

echo "== The same under AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer"
(
  # Also for the test listing at build time. The suppressions name only Qt's own leaks.
  export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAVO_SANITIZE=ON -DTRAVO_BUILD_BENCH=OFF >/dev/null
  cmake --build build-asan --parallel "$(nproc)"
  # The package is made and tried from the ordinary build only: it ships no sanitizers.
  ctest --test-dir build-asan --output-on-failure --parallel "$(nproc)" --timeout 900 -LE package
)

echo "== Fuzz targets (corpus, then ${FUZZ_RUNS:-20000} new inputs each)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTRAVO_FUZZ=ON -DTRAVO_FUZZ_RUNS="${FUZZ_RUNS:-20000}" >/dev/null
cmake --build build-fuzz --parallel "$(nproc)"
ctest --test-dir build-fuzz --output-on-failure --parallel "$(nproc)" -L fuzz
