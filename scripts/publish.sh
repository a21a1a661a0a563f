#!/usr/bin/env bash
# Publishes a jar for the launcher's updater: writes into OUTDIR the three files the update
# server serves under its base URL:
#   <jarName>.tmp     the jar itself
#   version.txt       the version, then size=<bytes> and sha256=<hex> of the jar
#   version.txt.sig   an ECDSA P-256 / SHA-256 signature of version.txt (DER)
# Usage: scripts/publish.sh JAR VERSION PRIVATE_KEY OUTDIR [jarName (default AppRunner)]
# The key is a P-256 private key in PEM, made with
#   openssl ecparam -name prime256v1 -genkey -noout -out key.pem
# and launchers hold its public half (openssl ec -in key.pem -pubout -out pub.pem).
set -euo pipefail
if [ $# -lt 4 ] || [ $# -gt 5 ]; then
  echo "usage: $0 JAR VERSION PRIVATE_KEY OUTDIR [jarName]" >&2
  exit 2
fi
jar=$1 version=$2 key=$3 out=$4 name=${5:-AppRunner}

# The launcher reads the version as a signed 32-bit integer; publish only what it can read.
if ! [[ $version =~ ^[0-9]{1,10}$ ]] || [ "$version" -gt 2147483647 ]; then
  echo "publish: VERSION must be a whole number from 0 to 2147483647, not '$version'" >&2
  exit 2
fi
[ -f "$jar" ] || { echo "publish: no jar at $jar" >&2; exit 2; }
if ! openssl pkey -in "$key" -noout -text 2>/dev/null | grep -q 'ASN1 OID: prime256v1'; then
  echo "publish: $key is not a P-256 (prime256v1) private key" >&2
  exit 2
fi
mkdir -p "$out"

size=$(stat -c %s "$jar")
sha=$(openssl dgst -sha256 -r "$jar" | cut -d' ' -f1)
work=$(mktemp -d "$out/.publish.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$jar" "$work/jar"
printf '%s\nsize=%s\nsha256=%s\n' "$version" "$size" "$sha" >"$work/version.txt"
openssl dgst -sha256 -sign "$key" -out "$work/version.txt.sig" "$work/version.txt"
# Check the signature with the key's public half before anything is published.
openssl pkey -in "$key" -pubout -out "$work/pub.pem"
openssl dgst -sha256 -verify "$work/pub.pem" -signature "$work/version.txt.sig" \
  "$work/version.txt" >/dev/null

# The jar first, the manifest last: a launcher that meets the old manifest with the new jar (or
# a manifest without its signature) refuses the update and asks again at its next start.
mv -f "$work/jar" "$out/$name.tmp"
mv -f "$work/version.txt.sig" "$out/version.txt.sig"
mv -f "$work/version.txt" "$out/version.txt"
echo "published $name version $version: $size bytes, sha256 $sha, in $out"
