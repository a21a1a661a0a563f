#!/usr/bin/env bash
# Runs the GET measurement against the native build's core library.
# Usage: bench/http-get.sh [megabytes]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/bench/build-tools.sh"
"$root/build/native/bench/http-get" "${1:-100}"
