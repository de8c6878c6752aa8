#pragma once
// A short mouse script for the editor: clicks, drags, wheel turns and double
// clicks at editor pixels, replayed through the editor's own event routing
// with a timer tick after each, as a window would deliver them.

#include <string>
#include <string_view>
#include <vector>

#include "graphics/editor.h"

struct MouseAction {
  enum Kind { Click, Drag, Wheel, DoubleClick } kind;
  int x = 0;
  int y = 0;
  int dX = 0;       // drags
  int dY = 0;
  int notches = 0;  // wheel turns
};

// "X,Y" (click, double-click), "X,Y,DX,DY" (drag) or "X,Y,NOTCHES" (wheel): the
// integers the kind needs, separated by commas. False (with a reason) otherwise.
bool ParseMouseAction(MouseAction::Kind kind, std::string_view text, MouseAction* out, std::string* error);

// [editor] Plays the actions in order; shift holds the shift key throughout.
void ReplayMouseScript(Editor& editor, const std::vector<MouseAction>& actions, bool shift);
