#!/usr/bin/env bash
# Builds and runs the GET measurement against the native build's core library.
# Usage: bench/http-get.sh [megabytes]   (after scripts/build.sh native)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/native/bench
mkdir -p "$out"
g++ -std=c++20 -O2 -Wall -Wextra -Werror -I"$root/src" "$root/bench/http_get.cpp" \
  "$root/build/native/liborvex_core.a" -lpthread $(pkg-config --libs x11 xext cairo openssl) \
  -o "$out/http-get"
"$out/http-get" "${1:-100}"
