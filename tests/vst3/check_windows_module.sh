#!/usr/bin/env bash
# The Windows module imports only Windows system DLLs (the compiler runtime is
# linked in), exports the three entry points, and the bundle form holds the same
# binary. Usage: check_windows_module.sh OBJDUMP MODULE BUNDLE_DIR
set -euo pipefail
objdump=$1 module=$2 bundle=$3
dump=$("$objdump" -p "$module")
imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr '[:upper:]' '[:lower:]' | sort -u)
echo "imports: $(tr '\n' ' ' <<<"$imports")"
[ -n "$imports" ] || { echo "no import table found"; exit 1; }
system='^(kernel32|user32|gdi32|msvcrt|advapi32|shell32|ole32|oleaut32|comdlg32|wininet|comctl32|shlwapi|ws2_32|winmm|uxtheme|dwmapi|version|imm32|bcrypt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
bad=$(grep -Ev "$system" <<<"$imports" || true)
[ -z "$bad" ] || { echo "non-system imports: $bad"; exit 1; }
for name in GetPluginFactory InitDll ExitDll; do
  grep -Eq "\]\s+$name\$" <<<"$dump" || { echo "missing export $name"; exit 1; }
done
cmp "$module" "$bundle/Contents/x86_64-win/Moravelle.vst3" || { echo "bundle binary differs"; exit 1; }
echo "ok"
