#!/bin/sh
# Install directories for the uninstaller's tests, each holding a Unix symbolic link
# "outside" that leads out of it to DIR/target (Wine shows it to Windows programs as a
# reparse point and cannot make one itself); rm does not follow it.
# Usage: fixture.sh DIR
set -e
rm -rf "$1"
mkdir -p "$1/target" "$1/log" "$1/list"
dir=$(cd "$1" && pwd)
echo "beyond the link" > "$dir/target/keep.txt"
ln -s "$dir/target" "$dir/log/outside"
ln -s "$dir/target" "$dir/list/outside"
