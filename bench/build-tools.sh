#!/usr/bin/env bash
# Builds what the benchmarks run: the launcher and core library (native, RelWithDebInfo, as
# scripts/build.sh native does, without the tests), and the bench tools (bench/CMakeLists.txt).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build/native
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_WERROR=ON \
  -DORVEX_BENCH=ON >/dev/null
cmake --build "$dir" --target orvex-launcher get-file http-get net-transfer bench-java
