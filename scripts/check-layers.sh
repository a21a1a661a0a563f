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
status=0
cd "$root/src"
while IFS= read -r match; do
  file=${match%%:*}
  from=${file%%/*}
  to=$(sed -E 's/.*#include "([a-z_0-9]+)\/.*/\1/' <<<"$match")
  [ "$to" = "$from" ] && continue
  [ "$to" = assets ] && continue  # generated picture data, no code
  if [ -z "${level[$from]:-}" ] || [ -z "${level[$to]:-}" ]; then
    echo "unknown layer: $match"
    status=1
  elif [ "${level[$to]}" -ge "${level[$from]}" ]; then
    echo "includes upward or sideways: $match"
    status=1
  fi
done < <(grep -rnE '^#include "[a-z_0-9]+/' --include=*.h --include=*.cpp .  | sed 's#^\./##')
[ $status -eq 0 ] && echo "layers: every include runs downward"
exit $status
