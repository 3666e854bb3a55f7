#!/usr/bin/env bash
# Fails when a shipped program imports a DLL that is not one of the system's known DLLs.
# Windows takes a known DLL from the system folder whatever lies beside the program; any
# other name is looked for in the program's own folder first (a Downloads or temporary
# folder), so such a DLL must be loaded at run time by its full path instead.
set -euo pipefail
# Known DLLs of Windows 7 and of Windows 10 and 11 alike, and ntdll, which is always loaded.
known='^(advapi32|clbcatq|comdlg32|difxapi|gdi32|imagehlp|imm32|kernel32|msctf|msvcrt|normaliz|nsi|ntdll|ole32|oleaut32|psapi|rpcrt4|sechost|setupapi|shell32|shlwapi|user32|wldap32|ws2_32)\.dll$'
[ $# -gt 0 ] || { echo "no programs given"; exit 2; }
bad=0
for exe in "$@"; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  [ -n "$dlls" ] || { echo "no imports found in $exe"; bad=1; }
  for d in $dlls; do [[ $d =~ $known ]] || { echo "not a known DLL: $d (in $exe)"; bad=1; }; done
done
exit $bad
