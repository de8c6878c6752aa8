#include "effect/preset_menu_control.h"

#include "graphics/editor.h"

PresetMenuControl::PresetMenuControl(PluginBase* plug, const Rect& rect) : Control(plug, rect, -1, BlendSpec{}) {}

void PresetMenuControl::ButtonDown(int, int, const MouseState& mouse) {
  if (!mouse.left) return;
  ++clicks_;
  Editor* editor = EditorOf(Plug());
  if (editor == nullptr) return;
  PopupMenu menu;
  BuildMenu(menu);
  if (menu.ItemCount() > 0) editor->ShowPopupMenu(menu, GetRect());
}

bool PresetMenuControl::Draw(Editor&) { return true; }

void PresetMenuControl::BuildMenu(PopupMenu&) {}
