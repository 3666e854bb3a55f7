#!/bin/sh
# Unix symbolic links for the engine's and the remover's tests, which Wine shows to Windows
# programs as reparse points (it cannot make them itself): "tree/sub/dirlink" leads to
# "target", "winlink" to WINDOWS, "full/big.bin" (a file's place) to a device.
# Usage: fixture.sh DIR WINDOWS
set -e
dir="$1"
rm -rf "$dir"
mkdir -p "$dir/target" "$dir/tree/sub" "$dir/full"
echo keep > "$dir/target/keep.txt"
echo x > "$dir/tree/a.txt"
ln -s "$dir/target" "$dir/tree/sub/dirlink"
ln -s "$2" "$dir/winlink"
ln -s /dev/full "$dir/full/big.bin"
