#!/usr/bin/env bash
# Fails when code of the shipped programs calls a Win32 text function in its "A" form:
# every text crosses to Windows as UTF-16, converted from UTF-8 in the framework. The
# objects' undefined symbols show every call, taken directly or through a macro; a name
# counts as a text function's "A" form when the system libraries also export its "W" form.
# Usage: check-text-calls.sh <system import library folder> <object or archive>...
set -euo pipefail
libs=$1; shift
[ $# -gt 0 ] || { echo "no objects given"; exit 2; }
nm=x86_64-w64-mingw32-nm
wide=$(mktemp); trap 'rm -f "$wide"' EXIT
for lib in kernel32 user32 gdi32 shell32 shlwapi ole32 oleaut32 advapi32 comctl32 comdlg32; do
  "$nm" -g --defined-only "$libs/lib$lib.a" 2>/dev/null | sed -n 's/.* __imp_\(.*\)W$/\1/p'
done | sort -u > "$wide"
[ -s "$wide" ] || { echo "no system import libraries in $libs"; exit 2; }
bad=0
checked=0
for object in "$@"; do
  checked=$((checked + 1))
  # "member.obj:" headers come with archives; the symbol is the last field.
  found=$("$nm" -u -A "$object" 2>/dev/null | sed -n 's/^\(.*\): *U __imp_\(.*\)A$/\1 \2/p' | sort -u) || true
  while read -r where stem; do
    [ -n "$stem" ] || continue
    if grep -qx -- "$stem" "$wide"; then
      echo "calls ${stem}A: $where"
      bad=1
    fi
  done <<< "$found"
done
echo "checked $checked objects or archives"
exit $bad
