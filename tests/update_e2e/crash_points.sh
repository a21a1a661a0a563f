#!/usr/bin/env bash
# Kills the launcher at each point of an update where it touches the install (before every
# link, unlink, rename, fsync, time stamp and write it makes, one point per run), then checks
# that the next run starts a whole jar: the new version, downloaded again where the killed run
# did not finish. Linux only; strace's fault injection delivers the kill.
# Usage: crash_points.sh BUILD_DIR   (the update server fixture must be running)
set -uo pipefail
build=$1
command -v strace >/dev/null || { echo "strace is not installed"; exit 77; }
work=$(mktemp -d)
pub_name=crash-points-$$
pub=$build/nginx/root/$pub_name
trap 'rm -rf "$work" "$pub"' EXIT
port=$(cat "$build/nginx/port")

mkdir -p "$work/jars" "$pub" "$work/install/jre/bin"
# Each jar a real zip archive around 300000 random bytes (the launcher installs only whole ones).
for v in 1 2 3; do
  python3 -c 'import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_STORED) as z:
    z.writestr("payload.bin", os.urandom(300000))' "$work/jars/v$v"
done
echo 3 >"$pub/version.txt"
cp "$work/jars/v3" "$pub/AppRunner.tmp"

install=$work/install
cp "$build/bin/orvex-launcher" "$install/"
cp "$build/bin/stub-java" "$install/jre/bin/java"
printf 'record=%s\ndelay_ms=0\nexit=0\n' "$work/runs.txt" >"$install/jre/bin/stub-java.conf"
printf '[RUN]\nkeepRunning=0\n\n[UPDATE]\nurl=http://127.0.0.1:%s/%s/\nversion=1\n' \
  "$port" "$pub_name" >"$install/setup.properties"
cp "$work/jars/v1" "$install/AppRunner.jar"
touch -d '1 hour ago' "$install/AppRunner.jar"
data=$work/data/.AppRunner

# An earlier update to version 2 sits in the data directory.
prepare() {
  rm -rf "$work/data"
  mkdir -p "$data"
  cp "$work/jars/v2" "$data/AppRunner.jar"
  touch -d '1 hour ago' "$data/AppRunner.jar"
  printf '[UPDATE]\nversion=2\n' >"$data/setup.properties"
}

starts() { grep -c '^end$' "$work/runs.txt" 2>/dev/null || true; }

# Runs the launcher (behind the given wrapper) until it dies or has started the stub Java, which
# ends the run. Prints "killed" or "started".
run() {
  local before pid
  before=$(starts)
  XDG_DATA_HOME=$work/data "$@" "$install/orvex-launcher" &
  pid=$!
  for _ in $(seq 200); do
    if [ "$(starts)" != "$before" ]; then
      pkill -KILL -f "^$install/orvex-launcher" 2>/dev/null
      wait "$pid" 2>/dev/null
      echo started
      return
    fi
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; echo killed; return; }
    sleep 0.05
  done
  pkill -KILL -f "^$install/orvex-launcher" 2>/dev/null
  wait "$pid" 2>/dev/null
  echo hung
}

last_jar() {
  awk '/^run$/ {jar = ""; next_is_jar = 0}
       next_is_jar {jar = substr($0, 5); next_is_jar = 0}
       $0 == "arg=-jar" {next_is_jar = 1}
       END {print jar}' "$work/runs.txt"
}

points=0
failures=0
# Points where the killed run left no jar in the data directory: the new copy is made whole
# beside the jar first, so only the instant between the two renames may leave it missing.
gaps=0
for call in link linkat unlink unlinkat rename renameat renameat2 fsync fdatasync utimensat write; do
  for when in 1 2 3 4 5 6 8 10 12 14 16 20 24 32; do
    prepare
    outcome=$(run strace -qq -o /dev/null -e trace="$call" -e inject="$call:signal=KILL:when=$when")
    [ "$outcome" = started ] && break  # the update needs fewer such calls: this call is done
    if [ "$outcome" != killed ]; then
      echo "FAIL: the run to be killed at $call #$when $outcome"
      failures=$((failures + 1))
      break
    fi
    points=$((points + 1))
    [ -f "$data/AppRunner.jar" ] || { gaps=$((gaps + 1)); echo "no jar after a kill at $call #$when"; }
    # Whatever the killed run left in place must be a whole jar.
    for f in AppRunner.jar AppRunner.old; do
      if [ -f "$data/$f" ] && ! cmp -s "$data/$f" "$work/jars/v2" && ! cmp -s "$data/$f" "$work/jars/v3"; then
        echo "FAIL: killed at $call #$when, $f is neither version 2 nor 3"
        failures=$((failures + 1))
      fi
    done
    outcome=$(run env)
    jar=$(last_jar)
    if [ "$outcome" != started ] || ! cmp -s "$jar" "$work/jars/v3"; then
      echo "FAIL: after a kill at $call #$when the next run $outcome with ${jar:-no jar}"
      ls -l "$data" >&2
      failures=$((failures + 1))
    fi
  done
done

echo "$points crash points, $failures failures, $gaps without a jar"
[ "$gaps" -le 1 ] || { echo "FAIL: the jar was missing at $gaps crash points"; failures=$((failures + 1)); }
# Fewer points than the install makes calls for means the kills never landed.
[ "$points" -ge 6 ] || { echo "FAIL: too few crash points reached"; exit 1; }
[ "$failures" -eq 0 ]
