#!/usr/bin/env bash
# Zips one product folder with the usual tools, as publishers hand them to orvapack:
#   make-interop-archives.sh DEMO_PRODUCT OUT
# OUT/product is the demo product plus nested folders, an empty file, a name with a space
# and Chinese names; OUT/<tool>.zip are its archives.
set -euo pipefail
demo=$1
rm -rf "$2"
mkdir -p "$2/product"
out=$(cd "$2" && pwd)
cp -r "$demo"/. "$out/product/"
cd "$out/product"
mkdir -p nested/deeper/deepest "文档"
for file in nested/deeper/deepest/leaf.txt "nested/with space.txt" 说明.txt 文档/内容.txt; do echo "$file" > "$file"; done
: > nested/empty.dat

zip -q -r -X ../infozip.zip .
zip -q -r -X -fd ../infozip-fd.zip .
7z a -tzip -bd -bso0 -bsp0 ../7zip.zip . >/dev/null
bsdtar --format zip -cf ../bsdtar.zip .
# Python's zipfile, streamed (to a pipe, so with data descriptors) and with zip64 records.
pyzip='
import os, sys, zipfile
with zipfile.ZipFile(sys.stdout.buffer, "w", zipfile.ZIP_DEFLATED) as z:
    for folder, dirs, files in os.walk("."):
        dirs.sort()
        if folder != ".":
            z.writestr(zipfile.ZipInfo(folder[2:] + "/"), b"")
        for name in sorted(files):
            path = os.path.join(folder, name)
            with open(path, "rb") as src, z.open(path[2:], "w", force_zip64=len(sys.argv) > 1) as dst:
                dst.write(src.read())
'
python3 -c "$pyzip" | cat > ../python-streamed.zip
python3 -c "$pyzip" zip64 > ../python-zip64.zip
