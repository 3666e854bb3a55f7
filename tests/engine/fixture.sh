#!/bin/sh
# Unix symbolic links for the engine's and the remover's tests, which Wine shows to Windows
# programs as reparse points (it cannot make them itself): "tree/sub/dirlink" leads to
# "target", "winlink" to WINDOWS, "full/big.bin" (a file's place) to a device. The setup's
# working folder planted in a templates folder: a plain folder, and a link to "planted".
# Usage: fixture.sh DIR WINDOWS
set -e
dir="$1"
rm -rf "$dir"
mkdir -p "$dir/target" "$dir/tree/sub" "$dir/full" "$dir/templates-folder/install" "$dir/planted" \
  "$dir/templates-link"
printf '[install]\r\ntitle=Theirs\r\n' | tee "$dir/templates-folder/install/lang.ini" > "$dir/planted/lang.ini"
ln -s "$dir/planted" "$dir/templates-link/install"
echo keep > "$dir/target/keep.txt"
echo x > "$dir/tree/a.txt"
ln -s "$dir/target" "$dir/tree/sub/dirlink"
ln -s "$2" "$dir/winlink"
ln -s /dev/full "$dir/full/big.bin"
