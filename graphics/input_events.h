#pragma once
// What the window hands the editor with each mouse and key event.

#include <cstdint>

struct MouseState {
  bool left = false;
  bool right = false;
  bool shift = false;
  bool control = false;
  bool alt = false;
};

// The editor's key numbering; other keys have no code.
enum KeyCode : int32_t {
  kKeySpace = 0,
  kKeyUp = 1,
  kKeyDown = 2,
  kKeyLeft = 3,
  kKeyRight = 4,
  kKeyDigit0 = 5,   // 5..14: the digits 0..9
  kKeyLetterA = 15, // 15..40: the letters A..Z
  kKeyLetterZ = 40,
};
