#!/bin/sh
# Made in DIR around the engine's and the remover's tests:
# - full-disk: a 2 MiB tmpfs, the prefix's drive R:, for the disk-full case. Needs root and
#   mount permission; without them there is no R: and the case skips itself.
# - links: a tree holding Unix symbolic links. Wine cannot create links or junctions itself,
#   but shows these to Windows programs as reparse points; "winlink" leads to the prefix's
#   Windows folder.
# Usage: fixture.sh up|down WINE_RUN PREFIX DIR
set -u
action=$1 wine_run=$2 prefix=$3 dir=$4
disk="$dir/full-disk" links="$dir/links" drive="$prefix/dosdevices/r:"
if [ "$action" = up ]; then
  [ -f "$prefix/.orvanta-ready" ] || "$wine_run" cmd /c exit >/dev/null 2>&1
  rm -rf "$links"
  mkdir -p "$disk" "$links/target/inner" "$links/tree/sub"
  echo keep > "$links/target/keep.txt"
  echo keep > "$links/target/inner/keep2.txt"
  echo x > "$links/tree/a.txt"
  echo x > "$links/tree/sub/b.txt"
  ln -s "$links/target" "$links/tree/sub/dirlink"
  ln -s "$links/target" "$links/toplink"
  ln -s "$prefix/drive_c/windows" "$links/winlink"
  if mountpoint -q "$disk" || mount -t tmpfs -o size=2m tmpfs "$disk" 2>/dev/null; then
    ln -sfn "$disk" "$drive"
  fi
else
  rm -f "$drive"
  mountpoint -q "$disk" && umount "$disk"
  rmdir "$disk" 2>/dev/null
  rm -rf "$links"
fi
exit 0
