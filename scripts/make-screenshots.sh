#!/usr/bin/env bash
# Renews docs/screenshots: walks the demo setup through every page in both languages
# (an installation, then an abandoned one that also meets the directory question) and
# keeps the pictures the walkthrough takes. Runs scripts/run-demo.sh without a display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
unset DISPLAY
out="$root/docs/screenshots"
rm -rf "$root/build/demo/wineprefix" "$out/zh" "$out/en"
# The demo installs in a blink; a large (but well compressible) extra file keeps the
# progress page up long enough to be pictured while it moves.
cmake --preset windows >/dev/null && cmake --build --preset windows --target demo_product >/dev/null
export ORVANTA_DEMO_PRODUCT="$root/build/demo/screenshot-product"
rm -rf "$ORVANTA_DEMO_PRODUCT"
cp -r "$root/build/windows/demo/product" "$ORVANTA_DEMO_PRODUCT"
head -c 400M /dev/zero > "$ORVANTA_DEMO_PRODUCT/docs/sample.dat"
for lang in zh en; do
  index=1; [ "$lang" = en ] && index=2
  mkdir -p "$out/$lang"
  bash scripts/run-demo.sh --language "$index" >/dev/null
  cp build/demo/shots/*.png "$out/$lang/"
  bash scripts/run-demo.sh --language "$index" --abandon >/dev/null
  cp build/demo/shots/directory-question.png build/demo/shots/abandon-question.png \
     build/demo/shots/cancelled.png "$out/$lang/"
done
rm -rf "$ORVANTA_DEMO_PRODUCT"
ls -R "$out"
