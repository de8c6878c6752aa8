#!/bin/sh
# The Windows module exports VSTPluginMain and main and imports only Windows system
# DLLs: no MinGW runtime DLL (libstdc++, libgcc_s, libwinpthread) that a host would
# not find.
set -eu
dll=$1
tables=$(x86_64-w64-mingw32-objdump -p "$dll")
imports=$(printf '%s\n' "$tables" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports: $(echo $imports)"
for name in $imports; do
  case "$name" in
    kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shell32.dll|ole32.dll|comdlg32.dll|wininet.dll|msvcrt.dll|msimg32.dll|shlwapi.dll|comctl32.dll|api-ms-win-*) ;;
    *) echo "FAIL: imports $name"; exit 1 ;;
  esac
done
exports=$(printf '%s\n' "$tables" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
echo "exports: $exports"
[ "$exports" = "VSTPluginMain main " ] || { echo "FAIL: expected exports VSTPluginMain and main"; exit 1; }
echo PASS
