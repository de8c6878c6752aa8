#!/usr/bin/env bash
# Runs a Windows program under Wine with a prefix of the build's own (created on
# first use, once even when tests start in parallel), quietly.
# Usage: wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail
case "$PWD" in
  */build-win*) default_prefix=${PWD%%/build-win*}/build-win/wineprefix ;;
  *) default_prefix=${PWD%%/build*}/build-win/wineprefix ;;
esac
export WINEPREFIX=${MORAVELLE_WINEPREFIX:-$default_prefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.ready" ]; then
    mkdir -p "$WINEPREFIX"
    /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w || true
    touch "$WINEPREFIX/.ready"
  fi
) 9>"$WINEPREFIX.lock"
exec /usr/lib/wine/wine64 "$@"
