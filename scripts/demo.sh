#!/usr/bin/env bash
# The launcher's main job end to end: a demo install with a real Java runtime and version 1 of a
# sample application, a local nginx publishing version 2 over HTTPS (a CA made for the demo),
# signed with a key made for the demo; the launcher checks the server's certificate, the
# signature and the jar's digest, updates and starts it. A second run meets a forged manifest
# and refuses it.
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

echo "== making a signing key for the demo (openssl, P-256)"
mkdir -p "$demo/keys"
openssl ecparam -name prime256v1 -genkey -noout -out "$demo/keys/demo-key.pem"
openssl ec -in "$demo/keys/demo-key.pem" -pubout -out "$demo/keys/demo-pub.pem" 2>/dev/null

echo "== making a CA and a certificate for localhost for the demo's update server (openssl)"
tls=$demo/tls
mkdir -p "$tls"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tls/ca.key" -out "$tls/ca.pem" \
  -subj "/CN=Orvex Demo CA" -days 2 -addext basicConstraints=critical,CA:TRUE \
  -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout "$tls/server.key" -out "$tls/server.csr" \
  -subj "/CN=localhost" 2>/dev/null
printf 'subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' \
  >"$tls/server.ext"
openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" -CAcreateserial \
  -days 2 -extfile "$tls/server.ext" -out "$tls/server.pem" 2>/dev/null

echo "== publishing version 2, signed, on a local nginx over HTTPS"
"$root/scripts/nginx.sh" start "$demo/server" demo "$tls/server.pem" "$tls/server.key"
trap '"$root/scripts/nginx.sh" stop "$demo/server"' EXIT
port=$(cat "$demo/server/tls_port")
# The one place the update URL is made.
update_url="https://localhost:$port/updates/"
"$root/scripts/publish.sh" "$demo/classes/app-v2.jar" 2 "$demo/keys/demo-key.pem" \
  "$demo/server/root/updates"
echo "-- version.txt:"
sed 's/^/   /' "$demo/server/root/updates/version.txt"

echo "== installing version 1 with the launcher and the Java runtime ($java_home)"
cp "$root/build/native/bin/orvex-launcher" "$demo/install/"
ln -s "$java_home" "$demo/install/jre"
cp "$demo/classes/app-v1.jar" "$demo/install/AppRunner.jar"
# Only the public half of the key is installed beside the launcher, with the demo's CA.
cp "$demo/keys/demo-pub.pem" "$demo/install/update-key.pem"
cp "$tls/ca.pem" "$demo/install/update-ca.pem"
cat >"$demo/install/setup.properties" <<PROPS
[RUN]
memory=64
keepRunning=0
jarName=AppRunner

[UPDATE]
appDataUpdate=1
url=$update_url
version=1
publicKey=update-key.pem
caFile=update-ca.pem
PROPS

run_launcher() {  # prints the launcher's output stamped with the time since its start
  local start rc
  start=$(date +%s%N)
  set +e
  XDG_DATA_HOME=$demo/home timeout 60 "$demo/install/orvex-launcher" 2>&1 |
    while IFS= read -r line; do
      printf '[%6d ms] %s\n' $(( ($(date +%s%N) - start) / 1000000 )) "$line"
    done
  rc=${PIPESTATUS[0]}
  set -e
  echo "== launcher exited with code $rc after $(( ($(date +%s%N) - start) / 1000000 )) ms"
  return $rc
}
data=$demo/home/.AppRunner
show_log() {
  if [ -f "$data/orvex-launcher.log" ]; then
    echo "== launcher log (the check over https, signature and digest checks, install):"
    grep -i -E 'check|signature|digest|sha-?256|manifest|download|install|version' "$data/orvex-launcher.log" |
      tail -n 12 | sed 's/^/   /' || true
  fi
}

echo "== running the launcher"
rc=0
run_launcher || rc=$?
echo "== data directory $data:"
ls -l "$data"
echo "== recorded version:"
cat "$data/setup.properties"
show_log
published_sha=$(sed -n 's/^sha256=//p' "$demo/server/root/updates/version.txt")
installed_sha=$(openssl dgst -sha256 -r "$data/AppRunner.jar" | cut -d' ' -f1)
echo "== checked: the server's certificate chains to update-ca.pem and names localhost;"
echo "   version.txt.sig verifies with update-key.pem over version.txt; the installed"
echo "   jar's SHA-256 $installed_sha"
if [ "$installed_sha" = "$published_sha" ] &&
  openssl dgst -sha256 -verify "$demo/install/update-key.pem" \
    -signature "$demo/server/root/updates/version.txt.sig" \
    "$demo/server/root/updates/version.txt" >/dev/null; then
  echo "   is the one the signed manifest names: the update is the publisher's"
else
  echo "   does NOT match the signed manifest" && rc=1
fi

echo "== an attacker on the path publishes version 3 (the old jar) with a forged manifest"
forged_size=$(stat -c %s "$demo/classes/app-v1.jar")
forged_sha=$(openssl dgst -sha256 -r "$demo/classes/app-v1.jar" | cut -d' ' -f1)
cp "$demo/classes/app-v1.jar" "$demo/server/root/updates/AppRunner.tmp"
printf '3\nsize=%s\nsha256=%s\n' "$forged_size" "$forged_sha" \
  >"$demo/server/root/updates/version.txt"
run_launcher || rc=$?
echo "== refused: the forged manifest's signature did not verify, so nothing was downloaded; a failed"
echo "   check starts the installation's own jar (version 1), as an offline start does"
echo "== recorded version (still 2):"
cat "$data/setup.properties"
if [ "$(openssl dgst -sha256 -r "$data/AppRunner.jar" | cut -d' ' -f1)" = "$published_sha" ]; then
  echo "== the data directory still holds the signed version 2"
else
  echo "== the data directory's jar CHANGED" && rc=1
fi
show_log
exit $rc
