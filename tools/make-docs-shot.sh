#!/usr/bin/env bash
# Regenerates docs/editor.png, the README's picture of the editor: the effect
# built in-process with the reverb switched on and a few knobs turned, drawn by
# moravelle-editor-shot. Usage: tools/make-docs-shot.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target moravelle-editor-shot
mkdir -p docs
"$build/tools/editor_shot/moravelle-editor-shot" -o docs/editor.png \
  --param ReverbOffOn=1 --param PreampClippingOffOn=1 --param AmpFilterMode=1 \
  --drag 250,270,0,-40 --drag 332,270,0,-20 --drag 712,405,0,10 --drag 822,135,0,30 --drag 295,135,0,-20
echo "wrote docs/editor.png"
