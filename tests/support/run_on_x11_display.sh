#!/bin/sh
# Runs a command on a private virtual X display (Xvfb), so that its windows get
# real input and nothing else shares the screen.
# Usage: [X11_SCREEN=WIDTHxHEIGHT] run_on_x11_display.sh PROGRAM [ARGS...]
set -eu
display_file=$(mktemp)
# -noreset: an X server resets when its last client leaves, and refuses connections
# while it does; a test that closes every window just before the next one connects
# would otherwise find no display on a loaded machine.
Xvfb -displayfd 3 -screen 0 "${X11_SCREEN:-1280x1024}x24" -nolisten tcp -noreset 3>"$display_file" 2>/dev/null &
xvfb=$!
cleanup() {
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
"$@" || status=$?
exit "$status"
