#!/usr/bin/env bash
# A product whose names hold Chinese, Japanese kana, Korean, Cyrillic, an accented Latin
# letter and a character beyond the Basic Multilingual Plane, beside the demo's files:
#   make-unicode-product.sh DEMO_PRODUCT OUT
# OUT/product is the folder (each new file holds its own relative name and a line feed),
# OUT/7zip.zip its archive by 7-Zip, which marks such names UTF-8.
set -euo pipefail
demo=$1
rm -rf "$2"
mkdir -p "$2/product"
out=$(cd "$2" && pwd)
cp -r "$demo"/. "$out/product/"
cd "$out/product"
mkdir -p "한국어 폴더" "Документы"
for file in "中文说明.txt" "ひらがなカタカナ.txt" "한국어 폴더/안내.txt" "Документы/Отчёт.txt" "café.txt" "音符𝄞.txt"; do
  printf '%s\n' "$file" > "$file"
done
# 7-Zip reads the names in the locale's character set.
LC_ALL=C.UTF-8 7z a -tzip -bd -bso0 -bsp0 ../7zip.zip . >/dev/null
