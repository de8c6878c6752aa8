#include "graphics/window_keys.h"

int KeyCodeForWindowKey(int windowKey) {
  switch (windowKey) {
    case 32: return kKeySpace;
    case 37: return kKeyLeft;
    case 38: return kKeyUp;
    case 39: return kKeyRight;
    case 40: return kKeyDown;
    default: break;
  }
  if (windowKey >= '0' && windowKey <= '9') return kKeyDigit0 + (windowKey - '0');
  if (windowKey >= 'A' && windowKey <= 'Z') return kKeyLetterA + (windowKey - 'A');
  if (windowKey >= 97 && windowKey <= 122) return kKeyLetterA + (windowKey - 97);
  return kNoKeyCode;
}
