#include "effect/preset_menu_control.h"

#include "effect/kernel_params.h"
#include "framework/plugin_base.h"
#include "graphics/editor.h"

PresetMenuControl::PresetMenuControl(PluginBase* plug, const Rect& rect) : Control(plug, rect, -1, BlendSpec{}) {
  for (int c = 0; c < kPresetCategoryCount; ++c)
    for (int n = kPresetCategories[c].firstNumber; n <= kPresetCategories[c].lastNumber; ++n)
      categories_[c].AddItem(FactoryPresetName(n));
  main_.AddItem(FactoryPresetName(0));
  main_.AddItem(FactoryPresetName(1));
  for (int c = 0; c < kPresetCategoryCount; ++c) main_.AddSubmenu(kPresetCategories[c].label, &categories_[c]);
}

PresetMenuControl::~PresetMenuControl() = default;

int PresetMenuControl::NumberOfChoice(const PopupMenu* chosen) const {
  if (chosen == nullptr || chosen->ChosenIndex() < 0) return -1;
  // The main menu's base is 0: item 0 is the title, item 1 preset number 1; its
  // other items open submenus and are never chosen themselves.
  if (chosen == &main_) return chosen->ChosenIndex() <= 1 ? chosen->ChosenIndex() : -1;
  for (int c = 0; c < kPresetCategoryCount; ++c)
    if (chosen == &categories_[c]) return kPresetCategories[c].firstNumber + chosen->ChosenIndex();
  return -1;
}

void PresetMenuControl::ButtonDown(int, int, const MouseState&) {
  Editor* editor = EditorOf(Plug());
  if (editor == nullptr) return;
  main_.SetChosenIndex(-1);
  for (PopupMenu& menu : categories_) menu.SetChosenIndex(-1);
  const int number = NumberOfChoice(editor->ShowPopupMenu(main_, GetRect()));
  if (number >= 0 && Plug() != nullptr) {
    if (PluginParam* selector = Plug()->Param(kPresetSelector)) {
      ScopedLock hold(Plug()->InstanceLock());
      selector->SetValue(static_cast<double>(static_cast<float>(number)));
      // Straight to the effect's hook, not the editor's path: the host is not told.
      Plug()->OnParamChanged(kPresetSelector);
    }
  }
  SetRedrawPending();
  MarkDirty(true);
}

bool PresetMenuControl::Draw(Editor&) { return true; }
