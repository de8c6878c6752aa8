#!/usr/bin/env bash
# The Linux bundle holds Contents/x86_64-linux/Moravelle.so, which exports exactly
# the three entry points and links nothing it does not find.
# Usage: check_linux_module.sh BUNDLE_DIR
set -euo pipefail
so=$1/Contents/x86_64-linux/Moravelle.so
[ -f "$so" ] || { echo "missing $so"; exit 1; }
exports=$(nm -D --defined-only "$so" | awk '$2 == "T" {print $3}' | sort | tr '\n' ' ')
echo "exports: $exports"
[ "$exports" = "GetPluginFactory ModuleEntry ModuleExit " ] || { echo "unexpected exports"; exit 1; }
if ldd "$so" | grep -q 'not found'; then ldd "$so"; exit 1; fi
echo "ok"
