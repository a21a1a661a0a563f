#!/usr/bin/env bash
# Builds one configuration: native | asan | win | fuzz.  Usage: scripts/build.sh native [extra cmake args]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-native}; shift || true
dir=$root/build/$kind
case $kind in
  native) args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  asan)   args=(-DCMAKE_BUILD_TYPE=Debug -DORVEX_SANITIZE=ON) ;;
  win)    args=(-DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake") ;;
  # libFuzzer targets (clang, ASan+UBSan); the test suite is not part of this configuration.
  fuzz)   args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
                -DORVEX_FUZZ=ON -DORVEX_TESTS=OFF) ;;
  *) echo "unknown build kind: $kind" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$dir" -G Ninja -DORVEX_WERROR=ON "${args[@]}" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
