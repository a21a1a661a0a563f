#!/usr/bin/env bash
# Keys, signatures and a signed publication made fresh for each test run with the openssl tool
# (nothing of value is ever committed). Usage: trust_material.sh DIR
#   signer.pub, other.pub            P-256 public keys (their private halves stay in DIR/private)
#   p384.pub, rsa.pub, compressed.pub, not-a-key.pub   keys the launcher must refuse
#   message.txt, message.sig         a text signed by the signer; message.other.sig by the other key
#   published/                       scripts/publish.sh output for app.jar as version 3
#   published/version.txt.other.sig  the same manifest signed by the other key
#   bare.txt, bare.txt.sig           "3\n" alone, signed: a manifest without size and digest
#   oversize.txt, oversize.txt.sig   the manifest naming one byte more than the jar, signed
#   app.jar                          the published jar (a zip archive)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=$1
rm -rf "$dir"
mkdir -p "$dir/private"
cd "$dir"

key() {  # name -> private/name.key and name.pub (P-256)
  openssl ecparam -name prime256v1 -genkey -noout -out "private/$1.key"
  openssl ec -in "private/$1.key" -pubout -out "$1.pub" 2>/dev/null
}
key signer
key other
openssl ecparam -name secp384r1 -genkey -noout -out private/p384.key
openssl ec -in private/p384.key -pubout -out p384.pub 2>/dev/null
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out private/rsa.key 2>/dev/null
openssl pkey -in private/rsa.key -pubout -out rsa.pub
openssl ec -in private/signer.key -pubout -conv_form compressed -out compressed.pub 2>/dev/null
printf 'hello\n' >not-a-key.pub

printf 'a text that is signed\n' >message.txt
openssl dgst -sha256 -sign private/signer.key -out message.sig message.txt
openssl dgst -sha256 -sign private/other.key -out message.other.sig message.txt

# A real zip archive of about 300 KiB that no other test jar equals.
python3 - <<'PY'
import random, zipfile
rng = random.Random(20261210)
with zipfile.ZipFile("app.jar", "w", zipfile.ZIP_STORED) as z:
    z.writestr("META-INF/MANIFEST.MF", "Manifest-Version: 1.0\nMain-Class: Signed\n")
    z.writestr("signed.bin", bytes(rng.getrandbits(8) for _ in range(300 * 1024)))
PY
"$root/scripts/publish.sh" app.jar 3 private/signer.key published >/dev/null
openssl dgst -sha256 -sign private/other.key -out published/version.txt.other.sig \
  published/version.txt

printf '3\n' >bare.txt
openssl dgst -sha256 -sign private/signer.key -out bare.txt.sig bare.txt
size=$(stat -c %s app.jar)
sha=$(openssl dgst -sha256 -r app.jar | cut -d' ' -f1)
printf '3\nsize=%s\nsha256=%s\n' $((size + 1)) "$sha" >oversize.txt
openssl dgst -sha256 -sign private/signer.key -out oversize.txt.sig oversize.txt
