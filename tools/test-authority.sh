#!/usr/bin/env bash
# DIR: makes a test certificate authority and a server certificate for "localhost" signed by it in DIR, once:
# authority.der (for the test programs to trust), server.pem and server.key (for the demo server's https port).
# Prints nothing and fails when openssl is missing.
set -euo pipefail
dir=$1
[ -f "$dir/server.pem" ] && [ -f "$dir/authority.der" ] && exit 0
command -v openssl >/dev/null
mkdir -p "$dir"
cd "$dir"
openssl req -x509 -newkey rsa:2048 -nodes -keyout authority.key -out authority.pem -days 3650 \
  -subj "/CN=trRadio Test Authority" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj "/CN=localhost" 2>/dev/null
printf 'subjectAltName=DNS:localhost\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n' > server.ext
openssl x509 -req -in server.csr -CA authority.pem -CAkey authority.key -CAcreateserial -out server.pem \
  -days 3650 -extfile server.ext 2>/dev/null
openssl x509 -in authority.pem -outform der -out authority.der
rm -f server.csr server.ext authority.srl
