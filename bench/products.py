#!/usr/bin/env python3
"""Makes the benchmark's product archives (ZIP, deflate at the default level, the way
the packer zips a folder). An archive already present is kept.

    products.py OUT-FOLDER DEMO-PRODUCT-FOLDER

big.zip    one 200 MB file of random bytes (incompressible)
small.zip  20,000 files of about 2 KB in 100 folders (about 40 MB)
huge.zip   one 1 GB file of repeated text (highly compressible)
demo.zip   the demo product
"""
import os
import random
import sys
import zipfile

MB = 1024 * 1024
STAMP = (1980, 1, 1, 0, 0, 0)


def item(name, directory=False):
    info = zipfile.ZipInfo(name + ("/" if directory else ""), STAMP)
    info.create_system = 0
    info.external_attr = 0x10 if directory else 0x20
    info.compress_type = zipfile.ZIP_STORED if directory else zipfile.ZIP_DEFLATED
    return info


def write_archive(path, fill):
    if os.path.exists(path):
        return
    partial = path + ".part"
    with zipfile.ZipFile(partial, "w", allowZip64=False) as archive:
        fill(archive)
    os.replace(partial, path)
    print(f"  made {path} ({os.path.getsize(path) / MB:.1f} MB)")


def stream(archive, name, chunks):
    with archive.open(item(name), "w") as out:
        for chunk in chunks:
            out.write(chunk)


def big(archive):
    rng = random.Random(1)
    stream(archive, "big.bin", (rng.randbytes(MB) for _ in range(200)))


def huge(archive):
    line = b"Orvanta 4.00 benchmark line: the quick brown fox jumps over the lazy dog.\r\n"
    block = (line * (MB // len(line) + 1))[:MB]
    stream(archive, "huge.log", (block for _ in range(1024)))


def small(archive):
    rng = random.Random(2)
    words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9))) for _ in range(4000)]
    for folder in range(100):
        archive.writestr(item(f"data/f{folder:03d}", True), b"")
        for n in range(200):
            size = rng.randint(1024, 3072)
            text = bytearray()
            while len(text) < size:
                text += rng.choice(words) + (b"\r\n" if rng.random() < 0.1 else b" ")
            archive.writestr(item(f"data/f{folder:03d}/file{n:03d}.txt"), bytes(text[:size]))


def demo(source):
    def fill(archive):
        for top, folders, files in os.walk(source):
            folders.sort()
            relative = os.path.relpath(top, source).replace(os.sep, "/")
            if relative != ".":
                archive.writestr(item(relative, True), b"")
            for name in sorted(files):
                with open(os.path.join(top, name), "rb") as f:
                    archive.writestr(item(name if relative == "." else relative + "/" + name), f.read())
    return fill


def main():
    out, demo_source = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    write_archive(os.path.join(out, "big.zip"), big)
    write_archive(os.path.join(out, "small.zip"), small)
    write_archive(os.path.join(out, "huge.zip"), huge)
    write_archive(os.path.join(out, "demo.zip"), demo(demo_source))


if __name__ == "__main__":
    main()
