#!/bin/sh
# Runs a command on a private virtual X display (Xvfb) and a Wine prefix of its
# own, so that Wine's windows get real input and nothing else shares the desktop.
# Usage: run_on_virtual_display.sh WINE_RUNNER PROGRAM.exe [ARGS...]
set -eu
program=$2
prefix_root=$(dirname "$(readlink -f "$program")")
while [ "$prefix_root" != / ] && [ ! -f "$prefix_root/CMakeCache.txt" ]; do prefix_root=$(dirname "$prefix_root"); done
MORAVELLE_WINEPREFIX="$prefix_root/wineprefix-desktop"
export MORAVELLE_WINEPREFIX
here=$(dirname "$(readlink -f "$0")")
# Wine's own processes for this prefix must end before the display goes.
exec sh "$here/../../support/run_on_x11_display.sh" sh -c '
  status=0
  "$@" || status=$?
  WINEPREFIX=$MORAVELLE_WINEPREFIX timeout 60 /usr/lib/wine/wineserver -w 2>/dev/null || true
  exit "$status"' sh "$@"
