#pragma once
// Window key numbers to the editor's KeyCode. Window layers hand in keys in the
// Windows virtual-key numbering (an X11 layer translates its key symbols into it
// first), so every layer maps keys the same way.

#include "graphics/input_events.h"

inline constexpr int kNoKeyCode = -1;

// [editor] The KeyCode for a window key: space, the four arrows, the digits and
// the letters; 97..122 (the numeric keypad's 1..9 and operator keys and F1..F11)
// land on the letters too, as they always have. kNoKeyCode for every other key.
int KeyCodeForWindowKey(int windowKey);
