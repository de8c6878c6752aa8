#pragma once
// PresetMenuControl: the preset menu on the name strip of the header. It lies
// above the name display and takes the clicks on the strip; it draws nothing of
// its own. A choice sets PresetSelector and runs the effect's selection directly,
// so the host is not told of it.

#include "graphics/control.h"
#include "graphics/popup_menu.h"
#include "effect/preset_catalogue.h"

class PresetMenuControl : public Control {
 public:
  PresetMenuControl(PluginBase* plug, const Rect& rect);
  ~PresetMenuControl() override;

  // [editor] Any button: shows the menu (no lock held meanwhile), then selects.
  void ButtonDown(int x, int y, const MouseState& mouse) override;
  bool Draw(Editor& editor) override;  // an invisible click area

  PopupMenu& MainMenu() { return main_; }

 private:
  // The preset number of a chosen item, or -1 for a menu that is not one of ours.
  int NumberOfChoice(const PopupMenu* chosen) const;

  PopupMenu main_;
  PopupMenu categories_[kPresetCategoryCount];
};
