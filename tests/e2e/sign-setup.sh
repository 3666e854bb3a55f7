#!/usr/bin/env bash
# A publisher's signing: the demo setup packed by the host's orvapack, which signs the
# generic Uninstall.exe it adds and the finished setup with a throwaway certificate
# (--sign-command), verifies; orvapack.exe lists and extracts it as signed, the
# Uninstall.exe inside verifies too, and a signed copy with one payload byte changed fails
# verification. Leaves signed.exe, signed-changed.exe and the signed uninstaller
# (uninstall-signed.exe) in OUT for the end-to-end tests.
#   sign-setup.sh WINE_RUN ORVAPACK_EXE SETUP_STUB DEMO_DIR OUT HOST_ORVAPACK
set -euo pipefail
wine_run=$1 orvapack=$2 stub=$3 demo=$4 out=$5 host_orvapack=$6
[ -x "$host_orvapack" ] || { echo "no host orvapack at $host_orvapack: build the host preset first"; exit 1; }
rm -rf "$out"
mkdir -p "$out"
cd "$out"

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj "/CN=Orvanta test publisher" >/dev/null 2>&1
cat >sign.sh <<'SIGN'
osslsigncode sign -certs cert.pem -key key.pem -n "Orvanta 4.00" -in "$1" -out "$1.signed" >/dev/null && mv "$1.signed" "$1"
SIGN
"$host_orvapack" build --stub "$stub" --product "$demo/product" --lang "$demo/lang.ini" \
  --banner "$demo/top_log.bmp" --sign-command "sh sign.sh {file}" --out signed.exe >/dev/null
osslsigncode verify -CAfile cert.pem -in signed.exe | grep -q "Signature verification: ok"

"$wine_run" "$orvapack" list signed.exe | tr -d '\r' | grep -q "^signed" || { echo "list: not signed"; exit 1; }
"$wine_run" "$orvapack" extract signed.exe extracted --zip product.zip | tr -d '\r' | grep -q "^signed" ||
  { echo "extract: not signed"; exit 1; }
cmp extracted/install/top_log.bmp "$demo/top_log.bmp"
unzip -p product.zip Uninstall.exe >uninstall-signed.exe
osslsigncode verify -CAfile cert.pem -in uninstall-signed.exe | grep -q "Signature verification: ok"

# One byte in the middle of Orva.in, which lies right behind the stub.
at=$(( $(stat -c %s "$stub") + 5000 ))
byte=$(od -An -tu1 -j "$at" -N1 signed.exe)
cp signed.exe signed-changed.exe
printf "$(printf '\\%03o' $(( byte ^ 1 )))" | dd of=signed-changed.exe bs=1 seek="$at" conv=notrunc status=none
if osslsigncode verify -CAfile cert.pem -in signed-changed.exe >verify-changed.log 2>&1; then
  echo "a changed payload byte passed verification"; exit 1
fi
