#!/usr/bin/env bash
# Builds what the benchmarks run: the launcher and core library (native, RelWithDebInfo, as
# scripts/build.sh native does, without the tests), get-file and the bench Java stand-in.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build/native
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" --target orvex-launcher
mkdir -p "$dir/bench"
g++ -std=c++20 -O2 -Wall -Wextra -Werror -I"$root/src" "$root/bench/get_file.cpp" \
  "$dir/liborvex_core.a" -lpthread $(pkg-config --libs x11 xext cairo openssl) -o "$dir/bench/get-file"
g++ -std=c++20 -O2 -Wall -Wextra -Werror "$root/bench/bench_java.cpp" -o "$dir/bench/bench-java"
