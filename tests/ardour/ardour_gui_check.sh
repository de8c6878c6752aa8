#!/usr/bin/env bash
# Ardour 7's own interface opens Moravelle's editor, on a private X display: the
# session that ardour_check.sh makes headless (the plug-in on a track) is opened in
# Ardour's GUI with its dummy audio engine, the mixer is shown and the plug-in's entry
# double-clicked. Ardour's plug-in window must then hold the editor (1000 x 530),
# whose pixels are the offscreen editor's but for the knobs the session set, and a
# knob dragged there must be redrawn.
# Usage: X11_SCREEN=1600x1000 tests/support/run_on_x11_display.sh \
#          tests/ardour/ardour_gui_check.sh vst2|vst3 PLUGIN EDITOR_SHOT_EXE WORK_DIR
# It clicks Ardour's widgets where Ardour 7.3 draws them (found from its windows'
# places; its main window needs a screen wider than 1350 pixels), so it is a check
# to run by hand, not part of the test suite.
set -euo pipefail
format=$1 plugin=$2 editor_shot=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*"; exit 1; }
[ -n "${DISPLAY:-}" ] || fail "run it on a display of its own (tests/support/run_on_x11_display.sh)"
command -v ardour >/dev/null && command -v xdotool >/dev/null || { echo "SKIPPED: needs ardour and xdotool"; exit 77; }

echo "== the session, made headless"
bash "$here/ardour_check.sh" "$format" "$plugin" "$work" >"$work.headless.log" 2>&1 ||
  { cat "$work.headless.log"; fail "the headless check failed"; }
export XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
export LXVST_PATH=$work/plugins VST3_PATH=$work/plugins
# Ardour's first-run guide is skipped, and its dummy engine offered (release builds hide it).
mkdir -p "$XDG_CONFIG_HOME/ardour7"
touch "$XDG_CONFIG_HOME/ardour7/.a7"
cat >"$XDG_CONFIG_HOME/ardour7/config" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour><Config><Option name="hide-dummy-backend" value="0"/></Config></Ardour>
XML

ardour -n -a "$work/session/processed.ardour" >"$work/gui.log" 2>&1 &
ardour_pid=$!
trap 'kill $ardour_pid 2>/dev/null || true; wait $ardour_pid 2>/dev/null || true' EXIT
wait_window() {  # wait_window NAME_PATTERN: prints the newest matching window
  local tries=0 id
  while :; do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)
    [ -z "$id" ] || { echo "$id"; return 0; }
    tries=$((tries + 1))
    [ "$tries" -le 240 ] || return 1
    sleep 0.5
  done
}
geometry() {  # geometry WINDOW: sets X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1")"
}
click_at() { xdotool mousemove "$1" "$2" sleep 0.3 click "${3:-1}"; }

echo "== the dummy engine"
setup=$(wait_window '^Audio/MIDI Setup$') || fail "Ardour showed no Audio/MIDI Setup dialog"
sleep 2
geometry "$setup"
click_at $((X + 285)) $((Y + 49))                  # the Audio System list
sleep 1
click_at $((X + 268)) $((Y + 93))                  # "None (Dummy)"
sleep 1
click_at $((X + 498)) $((Y + 351))                 # Start
main=$(wait_window '^processed - Ardour$') || fail "the session did not open"
sleep 5

echo "== the mixer, and the plug-in's entry double-clicked"
geometry "$main"
click_at $((X + WIDTH - 21)) $((Y + 73))           # Mix
sleep 3
xdotool mousemove $((X + 327)) $((Y + 215)) sleep 0.3 click --repeat 2 --delay 80 1
plugin_window=$(wait_window '^T: Moravelle \(by PellionAudio\)') ||
  { tail -20 "$work/gui.log"; fail "Ardour opened no plug-in window"; }
echo "Ardour's window: $(xdotool getwindowname "$plugin_window")"
editor=$(wait_window '^Moravelle$') || fail "no editor window inside Ardour's"
sleep 2

echo "== the editor's pixels"
"$editor_shot" -o "$work/offscreen.png" >/dev/null
first=$(python3 "$here/x_window_pixels.py" "$editor" "$work/offscreen.png" "$work/in-ardour.png")
echo "against the offscreen editor: $first"
set -- $first
[ "$2" = 1000x530 ] || fail "the editor is $2, not 1000x530"
[ "${10}" = 0 ] || fail "the editor window is blank"
# The session set five parameters; their knobs and switches differ, the rest is equal.
[ "$6" -gt 0 ] && [ "$6" -lt 26500 ] || fail "$6 pixels differ from the offscreen editor (expected some, under 5 %)"

echo "== a knob dragged in Ardour's window"
xdotool mousemove --window "$editor" 250 268 mousedown 1 sleep 0.2 mousemove --window "$editor" 250 258 \
  sleep 0.2 mousemove --window "$editor" 250 238 sleep 0.2 mouseup 1
sleep 1
after=$(python3 "$here/x_window_pixels.py" "$editor" "$work/in-ardour.png" "$work/after-drag.png")
echo "after the drag, against before: $after"
set -- $after
[ "$6" -gt 0 ] || fail "the drag changed nothing on screen"
echo PASS
