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
python3 - "$out" <<'PY'
import os, sys, zipfile

out = sys.argv[1]
root = os.path.join(out, "product")

def entries():
    for folder, dirs, files in os.walk(root):
        dirs.sort()
        rel = os.path.relpath(folder, root)
        if rel != ".":
            yield rel.replace(os.sep, "/") + "/", None
        for name in sorted(files):
            path = os.path.join(folder, name)
            yield os.path.relpath(path, root).replace(os.sep, "/"), path

class Unseekable:
    """A pipe-like stream: zipfile then writes data descriptors."""
    def __init__(self, f): self.f = f
    def write(self, b): return self.f.write(b)
    def flush(self): self.f.flush()
    def tell(self): raise OSError("unseekable")

def write(archive, stream, zip64):
    with open(os.path.join(out, archive), "wb") as f, \
         zipfile.ZipFile(Unseekable(f) if stream else f, "w", zipfile.ZIP_DEFLATED) as z:
        for name, path in entries():
            if path is None:
                z.writestr(zipfile.ZipInfo(name), b"")
            else:
                with open(path, "rb") as src, z.open(name, "w", force_zip64=zip64) as dst:
                    dst.write(src.read())

write("python-streamed.zip", True, False)
write("python-zip64.zip", False, True)
PY
