#!/bin/sh
# The Linux module exports exactly VSTPluginMain and main, nothing else of ours.
set -eu
so=$1
exports=$(nm -D --defined-only "$so" | awk '$2 ~ /^[TtWwDdBbVv]$/ {print $3}' | sort | tr '\n' ' ')
echo "defined dynamic symbols: $exports"
[ "$exports" = "VSTPluginMain main " ] || { echo "FAIL: expected only VSTPluginMain and main"; exit 1; }
echo PASS
