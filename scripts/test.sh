#!/usr/bin/env bash
# Installs what is missing, builds the configurations from nothing and runs the whole suite:
# natively, under ASan+UBSan, the Windows build under Wine, and each fuzz target for 15 s.
# Unattended and offline.
# Usage: scripts/test.sh [native|asan|win|fuzz ...]   (default: all four)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kinds=("$@"); [ ${#kinds[@]} -gt 0 ] || kinds=(native asan win fuzz)
"$root/scripts/setup.sh"
status=0
passed=0
failed=0
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for kind in "${kinds[@]}"; do
  start=$(date +%s)
  echo "=== $kind: build"
  "$root/scripts/build.sh" "$kind"
  echo "=== $kind: test"
  if [ "$kind" = win ]; then
    source "$root/scripts/wine-env.sh"
  fi
  if [ "$kind" = asan ]; then
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  fi
  if [ "$kind" = fuzz ]; then
    "$root/scripts/fuzz.sh" 15 | tee "$log" || status=1
    passed=$((passed + $(grep -c ', clean$' "$log" || true)))
    failed=$((failed + $(grep -c ': FAILED' "$log" || true)))
  else
    (cd "$root/build/$kind" && ctest --output-on-failure -j3 --timeout 300) | tee "$log" ||
      status=1
    # "NN% tests passed, F tests failed out of T"
    if read -r f t < <(sed -n 's/.* tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$log"); then
      passed=$((passed + t - f))
      failed=$((failed + f))
    else
      status=1
    fi
  fi
  echo "=== $kind: $(( $(date +%s) - start )) s"
done
echo "tests: $passed passed, $failed failed"
exit $status
