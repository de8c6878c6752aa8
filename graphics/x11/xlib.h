#pragma once
// Xlib for this folder. Include it after every other header of the project:
// Xlib defines macros (None, Success, Bool, ...) that would rewrite our own
// names, and KeyCode and Font types of its own, renamed here to XKeyCode and
// XFont so that the editor's KeyCode and the bitmap layer's Font keep theirs.

#define KeyCode XKeyCode
#define Font XFont
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#undef KeyCode
#undef Font
