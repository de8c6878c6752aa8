#include "graphics/x11/x11_keys.h"
#include "graphics/x11/xlib.h"


int WindowKeyForKeySym(unsigned long keySym) {
  if (keySym >= XK_a && keySym <= XK_z) return 'A' + static_cast<int>(keySym - XK_a);
  if (keySym >= XK_A && keySym <= XK_Z) return 'A' + static_cast<int>(keySym - XK_A);
  if (keySym >= XK_0 && keySym <= XK_9) return '0' + static_cast<int>(keySym - XK_0);
  // With Num Lock the keypad's digits are 96..105 and its operator keys
  // 106..111; F1..F24 follow from 112.
  if (keySym >= XK_KP_0 && keySym <= XK_KP_9) return 96 + static_cast<int>(keySym - XK_KP_0);
  if (keySym >= XK_F1 && keySym <= XK_F24) return 112 + static_cast<int>(keySym - XK_F1);
  switch (keySym) {
    case XK_space: return 32;
    case XK_Left: case XK_KP_Left: return 37;
    case XK_Up: case XK_KP_Up: return 38;
    case XK_Right: case XK_KP_Right: return 39;
    case XK_Down: case XK_KP_Down: return 40;
    case XK_KP_Multiply: return 106;
    case XK_KP_Add: return 107;
    case XK_KP_Separator: return 108;
    case XK_KP_Subtract: return 109;
    case XK_KP_Decimal: return 110;
    case XK_KP_Divide: return 111;
    case XK_BackSpace: return 8;
    case XK_Tab: return 9;
    case XK_Return: case XK_KP_Enter: return 13;
    case XK_Escape: return 27;
    // Without Num Lock the keypad's other keys are the navigation keys.
    case XK_KP_Begin: return 12;
    case XK_Prior: case XK_KP_Prior: return 33;
    case XK_Next: case XK_KP_Next: return 34;
    case XK_End: case XK_KP_End: return 35;
    case XK_Home: case XK_KP_Home: return 36;
    case XK_Insert: case XK_KP_Insert: return 45;
    case XK_Delete: case XK_KP_Delete: return 46;
    default: return kNoWindowKey;
  }
}
