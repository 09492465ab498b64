#!/bin/sh
# Runs a fuzz target so that a run gives the same verdict every time: the kept corpus is
# replayed, then a fixed number of new inputs from a fixed seed is tried. New inputs and
# findings land in a scratch folder, emptied first; the kept corpus is only read.
#   fuzz/run.sh TARGET SCRATCH CORPUS RUNS
set -eu
target=$1 scratch=$2 corpus=$3 runs=$4
rm -rf "$scratch"
mkdir -p "$scratch/new" "$scratch/findings"
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 exec "$target" -seed=1 -runs="$runs" -rss_limit_mb=2048 \
  -timeout=10 -print_final_stats=1 -artifact_prefix="$scratch/findings/" "$scratch/new" "$corpus"
