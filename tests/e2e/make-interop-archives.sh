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
printf 'deep\n' > nested/deeper/deepest/leaf.txt
: > nested/empty.dat
printf 'spaced\n' > "nested/with space.txt"
printf '说明\n' > "说明.txt"
printf 'inside\n' > "文档/内容.txt"

zip -q -r -X ../infozip.zip .
zip -q -r -X -fd ../infozip-fd.zip .
7z a -tzip -bd -bso0 -bsp0 ../7zip.zip . >/dev/null
bsdtar --format zip -cf ../bsdtar.zip .
# Python's zipfile, streamed (as to a pipe, so with data descriptors) and with zip64 records.
python3 - <<'PY'
import os, zipfile

class Unseekable:
    def __init__(self, f): self.f = f
    def write(self, b): return self.f.write(b)
    def flush(self): self.f.flush()
    def tell(self): raise OSError("unseekable")

for archive, zip64 in (("../python-streamed.zip", False), ("../python-zip64.zip", True)):
    with open(archive, "wb") as f, zipfile.ZipFile(f if zip64 else Unseekable(f), "w", zipfile.ZIP_DEFLATED) as z:
        for folder, dirs, files in os.walk("."):
            dirs.sort()
            if folder != ".":
                z.writestr(zipfile.ZipInfo(folder[2:] + "/"), b"")
            for name in sorted(files):
                path = os.path.join(folder, name)
                with open(path, "rb") as src, z.open(path[2:], "w", force_zip64=zip64) as dst:
                    dst.write(src.read())
PY
