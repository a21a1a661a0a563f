#!/usr/bin/env bash
# Runs the receive-path measurement against the native build's core library.
# Usage: bench/net-transfer.sh [megabytes]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/bench/build-tools.sh"
"$root/build/native/bench/net-transfer" "${1:-100}"
