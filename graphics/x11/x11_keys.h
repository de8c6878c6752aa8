#pragma once
// X key symbols to the window key numbers every window layer hands to
// KeyCodeForWindowKey (the Windows virtual-key numbering), so the X11 window
// maps keys exactly as the Win32 one does.

inline constexpr int kNoWindowKey = -1;

// [editor] The window key for an X key symbol (the unshifted symbol of the key:
// letters arrive lower case), or kNoWindowKey for a key with no number.
int WindowKeyForKeySym(unsigned long keySym);
