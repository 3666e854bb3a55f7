#!/usr/bin/env bash
# Renews docs/screenshots: walks the demo setup through every page in both languages
# (an installation, then an abandoned one that also meets the directory question) and
# keeps the pictures the walkthrough takes; then, on a Western Windows (code page 1252),
# the language, welcome and confirmation pages in both languages, which show the same
# texts. Runs scripts/run-demo.sh without a display.
#
#   scripts/make-screenshots.sh [cp1252]     cp1252: only the code page 1252 pictures
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
unset DISPLAY
out="$root/docs/screenshots"
only=${1:-}
rm -rf "$root/build/demo/wineprefix"
cmake --preset windows >/dev/null && cmake --build --preset windows --target demo_product >/dev/null

if [ "$only" != cp1252 ]; then
  rm -rf "$out/zh" "$out/en"
  # The demo installs in a blink; a large (but well compressible) extra file keeps the
  # progress page up long enough to be pictured while it moves.
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
  unset ORVANTA_DEMO_PRODUCT
fi

# Code page 1252: the walk abandons on the confirmation page, which is all it needs.
rm -rf "$out/cp1252"
for lang in zh en; do
  index=1; [ "$lang" = en ] && index=2
  mkdir -p "$out/cp1252/$lang"
  ORVANTA_WINE_LOCALE=en_US.UTF-8 bash scripts/run-demo.sh --language "$index" --abandon >/dev/null
  cp build/demo/shots/language.png build/demo/shots/welcome.png build/demo/shots/confirm.png "$out/cp1252/$lang/"
done
ls -R "$out"
