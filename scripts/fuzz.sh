#!/usr/bin/env bash
# Runs each fuzz target of the fuzz build for a bounded time, from its seed corpus in
# fuzz/corpus/<target>/ (which also holds every input that once failed, run first as a
# regression case). New inputs go to build/fuzz/work/<target>/, failing ones to
# build/fuzz/artifacts/. Exit status 1 when any target fails.
# Usage: scripts/fuzz.sh [seconds per target (default 20)] [target ...]   (build first: build.sh fuzz)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}; shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in "$root"/fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi
bin=$root/build/fuzz/bin
work=$root/build/fuzz/work
artifacts=$root/build/fuzz/artifacts
mkdir -p "$artifacts"
status=0
for target in "${targets[@]}"; do
  mkdir -p "$work/$target"
  log=$work/$target.log
  "$bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
    "$work/$target" "$root/fuzz/corpus/$target" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  if [ $rc -eq 0 ]; then
    echo "fuzz_$target: ${runs:-?} runs in ${seconds} s, clean"
  else
    echo "fuzz_$target: FAILED (status $rc), see $log"
    grep -E '^(==[0-9]+==ERROR|SUMMARY)|runtime error' "$log" | head -5
    status=1
  fi
done
exit $status
