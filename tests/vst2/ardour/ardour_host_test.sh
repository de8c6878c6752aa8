#!/bin/sh
# Ardour 7 as a real, independently written host: scans Moravelle.so, builds a
# headless session that renders a signal through it, compares the render with a
# bypassed one and reloads the saved session in a fresh process.
# Usage: ardour_host_test.sh MORAVELLE_SO RENDER_COMPARE
# Exit 77 (skipped) only when Ardour is not installed.
set -eu
so=$1
compare=$2
here=$(cd "$(dirname "$0")" && pwd)
scanner=/usr/lib/ardour7/ardour-vst-scanner
if [ ! -x "$scanner" ] || ! command -v ardour7-lua >/dev/null || ! command -v ardour7-export >/dev/null; then
  echo "SKIPPED: Ardour 7 is not installed (tools/install-deps.sh installs the ardour package)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lxvst" "$work/out"
cp "$so" "$work/lxvst/Moravelle.so"
# A fresh cache and configuration per run; the scanner's cache is what the
# headless tools read, and LXVST_PATH replaces the default VST2 folders.
export XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config" LXVST_PATH="$work/lxvst"
export MORAVELLE_SESSION_DIR="$work/session"

echo "== scan"
scan=$(LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 120 "$scanner" -f -v "$work/lxvst/Moravelle.so" 2>&1) || {
  echo "$scan"; echo "FAIL: the scanner exited with an error"; exit 1; }
echo "$scan"
# Exit codes are unreliable: require the report and the cache file.
echo "$scan" | grep -q "Found Plugin:" || { echo "FAIL: the scanner found no plug-in"; exit 1; }
cache=$(find "$work/cache/ardour7/vst" -name '*-x64.v2i' | head -1)
[ -n "$cache" ] || { echo "FAIL: no scan cache was written"; exit 1; }
for attr in 'name="Moravelle"' 'creator="PellionAudio"' 'id="1299346994"' 'n_inputs="2"' 'n_outputs="2"' 'category="Effect"'; do
  grep -q "$attr" "$cache" || { echo "FAIL: the scan cache lacks $attr"; cat "$cache"; exit 1; }
done
# The scanner gives its cache the plug-in's own mtime; the session tools take a
# cache only when it is newer than the binary.
touch -d '+1 minute' "$cache"

echo "== session"
timeout 300 ardour7-lua "$here/make_session.lua" 2>&1 | tee "$work/make.log"
grep -q "SESSION OK" "$work/make.log" || { echo "FAIL: the session could not be built"; exit 1; }

echo "== render"
timeout 300 ardour7-export -b float -o "$work/out/processed.wav" "$MORAVELLE_SESSION_DIR" processed >/dev/null 2>&1
timeout 300 ardour7-export -b float -o "$work/out/bypassed.wav" "$MORAVELLE_SESSION_DIR" bypassed >/dev/null 2>&1
stats=$("$compare" "$work/out/processed.wav" "$work/out/bypassed.wav")
echo "$stats"
echo "$stats" | awk '{
  if ($2 <= 0.001) { print "FAIL: the processed render is silent"; exit 1 }
  if ($4 <= 0.001) { print "FAIL: the bypassed render is silent"; exit 1 }
  if ($6 <= 0.001) { print "FAIL: the processed render equals the bypassed one: the plug-in did not run"; exit 1 }
  if ($8 != $9 || $8 < 48000) { print "FAIL: renders of unexpected length"; exit 1 }
  if ($11 != 1) { print "FAIL: the processed render is not finite"; exit 1 }
}'

echo "== reload"
timeout 300 ardour7-lua "$here/reload_session.lua" 2>&1 | tee "$work/reload.log"
grep -q "RESTORE OK" "$work/reload.log" || { echo "FAIL: the session did not restore the plug-in's parameters"; exit 1; }
echo PASS
