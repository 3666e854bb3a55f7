#!/bin/sh
# A 2 MiB drive R: for the disk-full test: a tmpfs mounted at DIR and linked into the
# prefix's drive list. Needs root and mount permission; without them nothing is made
# and the test skips itself.
# Usage: full-disk.sh up|down WINE_RUN PREFIX DIR
set -u
action=$1
wine_run=$2
prefix=$3
dir=$4
link="$prefix/dosdevices/r:"
if [ "$action" = up ]; then
  [ -f "$prefix/.orvanta-ready" ] || "$wine_run" cmd /c exit >/dev/null 2>&1
  mkdir -p "$dir"
  mountpoint -q "$dir" || mount -t tmpfs -o size=2m tmpfs "$dir" 2>/dev/null || exit 0
  ln -sfn "$dir" "$link"
else
  rm -f "$link"
  mountpoint -q "$dir" && umount "$dir"
  rmdir "$dir" 2>/dev/null
fi
exit 0
