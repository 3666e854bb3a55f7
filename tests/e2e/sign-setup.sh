#!/usr/bin/env bash
# A publisher's signing: the demo setup packed by orvapack.exe and signed with a throwaway
# certificate verifies, orvapack lists and extracts it as signed, and a signed copy with
# one payload byte changed fails verification. Leaves signed.exe and signed-changed.exe
# in OUT for the end-to-end tests.
#   sign-setup.sh WINE_RUN ORVAPACK_EXE SETUP_STUB DEMO_DIR OUT
set -euo pipefail
wine_run=$1 orvapack=$2 stub=$3 demo=$4 out=$5
rm -rf "$out"
mkdir -p "$out"
cd "$out"

"$wine_run" "$orvapack" build --stub "$stub" --product "$demo/product" --lang "$demo/lang.ini" \
  --banner "$demo/top_log.bmp" --out packed.exe >/dev/null

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj "/CN=Orvanta test publisher" >/dev/null 2>&1
osslsigncode sign -certs cert.pem -key key.pem -n "Orvanta 4.00" -in packed.exe -out signed.exe >/dev/null
osslsigncode verify -CAfile cert.pem -in signed.exe | grep -q "Signature verification: ok"

"$wine_run" "$orvapack" list signed.exe | tr -d '\r' | grep -q "^signed" || { echo "list: not signed"; exit 1; }
"$wine_run" "$orvapack" extract signed.exe extracted --zip product.zip | tr -d '\r' | grep -q "^signed" ||
  { echo "extract: not signed"; exit 1; }
cmp extracted/install/top_log.bmp "$demo/top_log.bmp"

# One byte in the middle of Orva.in, which lies right behind the stub.
at=$(( $(stat -c %s "$stub") + 5000 ))
byte=$(od -An -tu1 -j "$at" -N1 signed.exe)
cp signed.exe signed-changed.exe
printf "$(printf '\\%03o' $(( byte ^ 1 )))" | dd of=signed-changed.exe bs=1 seek="$at" conv=notrunc status=none
if osslsigncode verify -CAfile cert.pem -in signed-changed.exe >verify-changed.log 2>&1; then
  echo "a changed payload byte passed verification"; exit 1
fi
