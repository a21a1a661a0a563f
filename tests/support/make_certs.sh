#!/usr/bin/env bash
# Makes the certificates of the TLS tests in DIR, fresh on every run (nothing of value, never
# committed): a test CA (ca.pem) and server certificates with their keys:
#   good      localhost, from the test CA
#   unknown   localhost, from another CA that nobody trusts
#   wrongname other.example, from the test CA
#   expired   localhost, from the test CA, valid in 2020 only
# Host names, not addresses: Wine's name check does not match IP entries.
set -euo pipefail
dir=$(mkdir -p "$1" && cd "$1" && pwd)
cd "$dir"
rm -rf ca-db ./*.pem ./*.key
# RSA keys: Wine's chain engine refuses (as "signature not valid") an ECDSA signature whose r or
# s is shorter than 32 bytes, which about one EC-signed certificate in a hundred has.
key=(-newkey rsa:2048 -nodes)

make_ca() {  # NAME SUBJECT
  openssl req -x509 "${key[@]}" -keyout "$1.key" -out "$1.pem" -subj "/CN=$2" -days 30 \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign \
    2>/dev/null
}

make_request() {  # NAME HOST
  openssl req "${key[@]}" -keyout "$1.key" -out "$1.csr" -subj "/CN=$2" 2>/dev/null
  printf 'subjectAltName=DNS:%s\nbasicConstraints=CA:FALSE\nkeyUsage=digitalSignature\nextendedKeyUsage=serverAuth\n' \
    "$2" >"$1.ext"
}

sign() {  # NAME CA
  openssl x509 -req -in "$1.csr" -CA "$2.pem" -CAkey "$2.key" -CAcreateserial -days 30 \
    -extfile "$1.ext" -out "$1.pem" 2>/dev/null
}

make_ca ca "Orvex Test CA"
make_ca other-ca "Someone Else's CA"
make_request good localhost && sign good ca
make_request unknown localhost && sign unknown other-ca
make_request wrongname other.example && sign wrongname ca

# A certificate whose validity ended years ago needs the ca command's explicit dates.
make_request expired localhost
mkdir -p ca-db && : >ca-db/index.txt && echo 01 >ca-db/serial
cat >ca-db/ca.cnf <<CONF
[ca]
default_ca = test
[test]
database = $dir/ca-db/index.txt
new_certs_dir = $dir/ca-db
serial = $dir/ca-db/serial
default_md = sha256
policy = anything
[anything]
commonName = supplied
CONF
openssl ca -batch -config ca-db/ca.cnf -cert ca.pem -keyfile ca.key -in expired.csr \
  -out expired.pem -startdate 20200101000000Z -enddate 20210101000000Z -extfile expired.ext \
  -notext 2>/dev/null
rm -f ./*.csr ./*.ext ./*.srl
