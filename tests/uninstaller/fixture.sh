#!/bin/sh
# Install directories for the uninstaller's tests, each holding a Unix symbolic link
# "outside" that leads out of it to DIR/target (Wine shows it to Windows programs as a
# reparse point and cannot make one itself); rm does not follow it.
# Usage: fixture.sh DIR
set -e
dir="$1"
rm -rf "$dir"
mkdir -p "$dir/target" "$dir/log" "$dir/list"
echo "beyond the link" > "$dir/target/keep.txt"
ln -s "$dir/target" "$dir/log/outside"
ln -s "$dir/target" "$dir/list/outside"
