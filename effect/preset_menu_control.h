#pragma once
// PresetMenuControl: the preset menu on the name strip of the header. It lies
// above the name display and takes the clicks on the strip; it draws nothing
// of its own. The catalogue of presets it will offer is not built yet, so its
// menu is empty and a click shows nothing.

#include "graphics/control.h"
#include "graphics/popup_menu.h"

class PresetMenuControl : public Control {
 public:
  PresetMenuControl(PluginBase* plug, const Rect& rect);

  // [editor] Left click: shows the menu when it has items.
  void ButtonDown(int x, int y, const MouseState& mouse) override;
  bool Draw(Editor& editor) override;  // nothing visible
  int Clicks() const { return clicks_; }

 private:
  // Fills the menu; empty until the preset catalogue exists.
  void BuildMenu(PopupMenu& menu);

  int clicks_ = 0;
};
