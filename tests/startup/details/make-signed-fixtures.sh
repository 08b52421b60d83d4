#!/usr/bin/env bash
# Makes the signed files the details tests examine, from the unsigned test
# tool given: a certificate authority that the test prefix is told to trust
# and one it is not, a code-signing certificate from each, and
#   trusted.exe    signed with the trusted one's certificate
#   untrusted.exe  signed with the other's
#   changed.exe    trusted.exe with a byte of its code changed after signing
#   trusted-root.cer  the trusted authority's certificate (DER), for the prefix
# Runs on the Linux side, with openssl and osslsigncode.
#
# Usage: make-signed-fixtures.sh UNSIGNED.exe OUTPUT_FOLDER
set -euo pipefail
unsigned=$1
out=$2
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# authority NAME: a self-signed certificate authority, NAME-root.pem and .key.
authority() {
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650 -subj "/CN=$2" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout "$work/$1-root.key" -out "$work/$1-root.pem" 2>/dev/null
}

# signer NAME CN: a code-signing certificate issued by NAME's authority, and
# the chain osslsigncode embeds (the signer's certificate, then the authority's).
signer() {
  openssl req -newkey rsa:2048 -nodes -subj "/CN=$2" -keyout "$work/$1-leaf.key" -out "$work/$1-leaf.csr" 2>/dev/null
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
    >"$work/$1-leaf.ext"
  openssl x509 -req -sha256 -days 3650 -in "$work/$1-leaf.csr" -CA "$work/$1-root.pem" -CAkey "$work/$1-root.key" \
    -set_serial "0x$(openssl rand -hex 8)" -extfile "$work/$1-leaf.ext" -out "$work/$1-leaf.pem" 2>/dev/null
  cat "$work/$1-leaf.pem" "$work/$1-root.pem" >"$work/$1-chain.pem"
}

sign() {
  osslsigncode sign -certs "$work/$1-chain.pem" -key "$work/$1-leaf.key" -h sha256 -in "$unsigned" -out "$2" \
    >/dev/null
}

authority trusted "Quorvane Test Root"
authority untrusted "Unknown Test Root"
signer trusted "Quorvane Test Signer"
signer untrusted "Unknown Test Signer"
rm -f "$out"/*.exe
sign trusted "$out/trusted.exe"
sign untrusted "$out/untrusted.exe"
openssl x509 -in "$work/trusted-root.pem" -outform der -out "$out/trusted-root.cer"

# A byte of the code, well inside the first section (headers take 1 KiB),
# turned into its complement: the signature no longer matches.
cp "$out/trusted.exe" "$out/changed.exe"
offset=2048
byte=$(od -An -tu1 -j "$offset" -N1 "$out/changed.exe" | tr -d ' ')
printf "$(printf '\\%03o' $((255 - byte)))" | dd of="$out/changed.exe" bs=1 seek="$offset" conv=notrunc status=none
