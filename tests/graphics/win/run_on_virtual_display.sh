#!/bin/sh
# Runs a command on a private virtual X display (Xvfb) and a Wine prefix of its
# own, so that Wine's windows get real input and nothing else shares the desktop.
# Usage: run_on_virtual_display.sh WINE_RUNNER PROGRAM.exe [ARGS...]
set -eu
runner=$1
shift
program=$1
prefix_root=$(dirname "$(readlink -f "$program")")
while [ "$prefix_root" != / ] && [ ! -f "$prefix_root/CMakeCache.txt" ]; do prefix_root=$(dirname "$prefix_root"); done
export MORAVELLE_WINEPREFIX="$prefix_root/wineprefix-desktop"
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb=$!
cleanup() {
  # Let Wine's own processes for this prefix end before the display goes.
  WINEPREFIX=$MORAVELLE_WINEPREFIX timeout 60 /usr/lib/wine/wineserver -w 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -f "$display_file"
}
trap cleanup EXIT
tries=0
while [ ! -s "$display_file" ]; do
  tries=$((tries + 1))
  [ "$tries" -le 300 ] || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
DISPLAY=:$(head -n 1 "$display_file")
export DISPLAY
status=0
"$runner" "$@" || status=$?
exit "$status"
