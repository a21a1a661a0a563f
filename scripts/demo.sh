#!/usr/bin/env bash
# The launcher's main job end to end: a demo install with a real Java runtime and version 1 of a
# sample application, a local nginx publishing version 2; the launcher updates and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" native

demo=$root/build/demo
rm -rf "$demo"
mkdir -p "$demo/install" "$demo/home" "$demo/classes"
java_home=$(dirname "$(dirname "$(readlink -f "$(command -v java)")")")

build_app() {  # version -> jar path
  local version=$1 dir=$demo/classes/v$1
  mkdir -p "$dir"
  sed "s/@VERSION@/$version/" "$root/demo-app/SampleApp.java.in" >"$dir/SampleApp.java"
  javac -d "$dir" "$dir/SampleApp.java"
  jar --create --file "$demo/classes/app-v$version.jar" --main-class SampleApp -C "$dir" SampleApp.class
}
echo "== building the sample application, versions 1 and 2"
build_app 1
build_app 2

echo "== publishing version 2 on a local nginx"
"$root/scripts/nginx.sh" start "$demo/server"
trap '"$root/scripts/nginx.sh" stop "$demo/server"' EXIT
port=$(cat "$demo/server/port")
mkdir -p "$demo/server/root/updates"
echo 2 >"$demo/server/root/updates/version.txt"
cp "$demo/classes/app-v2.jar" "$demo/server/root/updates/AppRunner.tmp"

echo "== installing version 1 with the launcher and the Java runtime ($java_home)"
cp "$root/build/native/bin/orvex-launcher" "$demo/install/"
ln -s "$java_home" "$demo/install/jre"
cp "$demo/classes/app-v1.jar" "$demo/install/AppRunner.jar"
cat >"$demo/install/setup.properties" <<PROPS
[RUN]
memory=64
keepRunning=0
jarName=AppRunner

[UPDATE]
appDataUpdate=1
url=http://127.0.0.1:$port/updates/
version=1
PROPS

echo "== running the launcher"
start=$(date +%s%N)
# Each line the application prints is stamped with the time since the launcher was started.
set +e
XDG_DATA_HOME=$demo/home timeout 60 "$demo/install/orvex-launcher" 2>&1 |
  while IFS= read -r line; do
    printf '[%6d ms] %s\n' $(( ($(date +%s%N) - start) / 1000000 )) "$line"
  done
rc=${PIPESTATUS[0]}
set -e
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
echo "== launcher exited with code $rc after $elapsed_ms ms"
echo "== data directory $demo/home/.AppRunner:"
ls -l "$demo/home/.AppRunner"
echo "== recorded version:"
cat "$demo/home/.AppRunner/setup.properties"
exit $rc
