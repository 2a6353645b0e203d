#!/usr/bin/env bash
# DIR: makes a test certificate authority and a server certificate for "localhost" signed by it in DIR, once:
# authority.der (for the test programs to trust), server.pem and server.key (for the demo server's https port);
# and untrusted.pem and untrusted.key, a certificate for "localhost" that signs itself, which no client may
# accept. Prints nothing and fails when openssl is missing.
set -euo pipefail
dir=$1
[ -f "$dir/server.pem" ] && [ -f "$dir/authority.der" ] && [ -f "$dir/untrusted.pem" ] && exit 0
command -v openssl >/dev/null
mkdir -p "$dir"
cd "$dir"
# The certificate that verifies nowhere; made alone where an older script made the authority already, which
# the test prefixes may trust by now.
if [ -f server.pem ] && [ -f authority.der ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -keyout untrusted.key -out untrusted.pem -days 3650 \
    -subj "/CN=localhost" -addext "subjectAltName=DNS:localhost" 2>/dev/null
  exit 0
fi
openssl req -x509 -newkey rsa:2048 -nodes -keyout authority.key -out authority.pem -days 3650 \
  -subj "/CN=trRadio Test Authority" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj "/CN=localhost" 2>/dev/null
printf 'subjectAltName=DNS:localhost\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n' > server.ext
openssl x509 -req -in server.csr -CA authority.pem -CAkey authority.key -CAcreateserial -out server.pem \
  -days 3650 -extfile server.ext 2>/dev/null
openssl x509 -in authority.pem -outform der -out authority.der
openssl req -x509 -newkey rsa:2048 -nodes -keyout untrusted.key -out untrusted.pem -days 3650 -subj "/CN=localhost" \
  -addext "subjectAltName=DNS:localhost" 2>/dev/null
rm -f server.csr server.ext authority.srl
