#!/usr/bin/env bash
# Builds and runs the receive-path measurement against the native build's core library.
# Usage: bench/net-transfer.sh [megabytes]   (after scripts/build.sh native)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/native/bench
mkdir -p "$out"
g++ -std=c++20 -O2 -Wall -Wextra -Werror -Wno-mismatched-new-delete -I"$root/src" "$root/bench/net_transfer.cpp" \
  "$root/build/native/liborvex_core.a" -lpthread $(pkg-config --libs x11 xext cairo openssl) \
  -o "$out/net-transfer"
"$out/net-transfer" "${1:-100}"
