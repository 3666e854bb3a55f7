#!/bin/sh
# Made from the Linux side for the engine's and the remover's tests: a tree holding Unix
# symbolic links in DIR. Wine cannot create links or junctions itself, but shows these to
# Windows programs as reparse points. "winlink" leads to WINDOWS (the prefix's Windows
# folder), "full/big.bin" to a device on which every write fails as on a full disk.
# Usage: fixture.sh DIR WINDOWS
set -e
dir="$1"
rm -rf "$dir"
mkdir -p "$dir/target/inner" "$dir/tree/sub" "$dir/full"
echo keep > "$dir/target/keep.txt"
echo keep > "$dir/target/inner/keep2.txt"
echo x > "$dir/tree/a.txt"
echo x > "$dir/tree/sub/b.txt"
ln -s "$dir/target" "$dir/tree/sub/dirlink"
ln -s "$dir/target" "$dir/toplink"
ln -s "$2" "$dir/winlink"
ln -s /dev/full "$dir/full/big.bin"
