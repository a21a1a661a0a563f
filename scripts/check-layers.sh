#!/usr/bin/env bash
# Checks that includes between the folders of src/ run one way, bottom-up: a file may include
# its own folder and the folders of lower layers only. Folders of one layer do not include each
# other. Prints each include that breaks the order; exit status 1 when there is one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Bottom first; folders on one line share a layer.
layers=(
  "core"
  "platform"
  "stream settings session shell log"
  "net"
  "http ui"
  "updater"
  "launcher"
  "app"
)
declare -A level
for i in "${!layers[@]}"; do
  for folder in ${layers[$i]}; do level[$folder]=$i; done
done
cd "$root/src"
levels=$(for folder in "${!level[@]}"; do echo "$folder=${level[$folder]}"; done)
# file:line:#include "to/..." -> a report line for each include that breaks the order.
grep -rnE '^#include "[a-z_0-9]+/' --include=*.h --include=*.cpp . | sed 's#^\./##' |
  awk -v levels="$levels" '
    BEGIN { n = split(levels, pairs, "\n"); for (i = 1; i <= n; i++) { split(pairs[i], kv, "="); lv[kv[1]] = kv[2] } }
    {
      from = $0; sub(/\/.*/, "", from)
      to = $0; sub(/^[^"]*"/, "", to); sub(/\/.*/, "", to)
      if (to == from || to == "assets") next  # assets: generated picture data, no code
      if (!(from in lv) || !(to in lv)) { print "unknown layer: " $0; bad = 1; next }
      if (lv[to] >= lv[from]) { print "includes upward or sideways: " $0; bad = 1 }
    }
    END { exit bad }' && echo "layers: every include runs downward"
