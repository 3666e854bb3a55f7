#!/bin/sh
# Builds, from the Linux side, a tree that holds Unix symbolic links. Wine cannot create
# links or junctions itself, but shows these to Windows programs as reparse points.
# With a second argument (a Unix path), "winlink" leads there: the prefix's Windows folder.
set -e
dir="$1"
rm -rf "$dir"
mkdir -p "$dir/target/inner" "$dir/tree/sub"
echo keep > "$dir/target/keep.txt"
echo keep > "$dir/target/inner/keep2.txt"
echo x > "$dir/tree/a.txt"
echo x > "$dir/tree/sub/b.txt"
ln -s "$dir/target" "$dir/tree/sub/dirlink"
ln -s "$dir/target" "$dir/toplink"
[ -z "$2" ] || ln -s "$2" "$dir/winlink"
