#!/usr/bin/env bash
# Fails when the executable imports a DLL that a plain Windows installation lacks.
set -euo pipefail
exe=$1
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports of $(basename "$exe"):" $dlls
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|shlwapi|msvcrt|ws2_32|uuid|version|winmm|api-ms-win-crt-[a-z0-9-]+|ucrtbase)\.dll$'
bad=0
for d in $dlls; do
  if ! [[ $d =~ $allowed ]]; then echo "not a system DLL: $d"; bad=1; fi
done
[ -n "$dlls" ] || { echo "no imports found"; exit 1; }
exit $bad
