#!/usr/bin/env bash
# Fuzzes every target for SECONDS each (default 300), merges what it found into the kept
# corpus fuzz/<target>/corpus (minimised: only inputs that add coverage stay) and prints one
# line per target: executions, coverage (cov, ft) and findings. The inputs that crashed,
# leaked or timed out stay in build-fuzz/findings/<target>/; each becomes a test case of the
# target's unit tests.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRAVO_FUZZ=ON >/dev/null
cmake --build build-fuzz --parallel "$(nproc)" >/dev/null

work=build-fuzz/fuzz-run
rm -rf "$work"
summary=()
for folder in fuzz/*/; do
  name=$(basename "$folder")
  target=build-fuzz/fuzz/$name/${name}_fuzz
  [ -x "$target" ] || continue
  run=$work/$name findings=build-fuzz/findings/$name
  mkdir -p "$run/new" "$run/merged" "$findings"
  echo "== $name: $seconds s" >&2
  # A finding stops libFuzzer; the run goes on with the next target.
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 "$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
    -timeout=10 -print_final_stats=1 -artifact_prefix="$findings/" "$run/new" "$folder/corpus" >"$run/log" 2>&1 || true
  # Minimised into a fresh folder, which then replaces the kept corpus.
  if "$target" -merge=1 -rss_limit_mb=2048 -timeout=10 "$run/merged" "$folder/corpus" "$run/new" >"$run/merge.log" 2>&1 &&
     [ -n "$(ls -A "$run/merged")" ]; then
    rm -rf "$folder/corpus"
    cp -r "$run/merged" "$folder/corpus"
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$run/log" | tail -1)
  coverage=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$run/log" | tail -1)
  found=$(find "$findings" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  summary+=("$(printf '%-8s executions %-10s %-22s corpus %4s files  findings %s' "$name" "${executions:-?}" \
    "${coverage:-cov: ? ft: ?}" "$(ls "$folder/corpus" | wc -l)" "$found")")
done
printf '%s\n' "${summary[@]}"
