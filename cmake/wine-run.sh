#!/usr/bin/env bash
# Runs a Windows program under Wine with a prefix of the build's own (created on
# first use), quietly. Usage: wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail
prefix=${MORAVELLE_WINEPREFIX:-${PWD%%/build*}/build-win/wineprefix}
case "$PWD" in */build-win*) prefix=${MORAVELLE_WINEPREFIX:-${PWD%%/build-win*}/build-win/wineprefix} ;; esac
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -d "$WINEPREFIX" ]; then
  mkdir -p "$WINEPREFIX"
  /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver -w || true
fi
exec /usr/lib/wine/wine64 "$@"
