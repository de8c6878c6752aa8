#!/usr/bin/env bash
# Installs what is missing, builds, and renders audio through Moravelle: the
# built-in demo (drum hits and plucked notes) when no input file is given.
# Usage: tools/demo.sh [INPUT.wav] [moravelle-render options...]
# The result is written to out/moravelle-demo.wav unless -o is given.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/install-deps.sh build >&2
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target moravelle-render -j "$(nproc)" >&2

args=("$@")
has_output=false
for a in "${args[@]}"; do
  case "$a" in -o|--output|-o=*|--output=*) has_output=true ;; esac
done
if ! $has_output; then
  mkdir -p out
  args+=(-o "$root/out/moravelle-demo.wav")
fi
exec build/tools/render/moravelle-render "${args[@]}"
