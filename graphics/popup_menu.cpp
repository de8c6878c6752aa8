#include "graphics/popup_menu.h"

#include <cstdio>

PopupMenuItem* PopupMenu::AddItem(const std::string& text) { return AddSubmenu(text, nullptr); }

PopupMenuItem* PopupMenu::AddSubmenu(const std::string& text, PopupMenu* submenu) {
  auto item = std::make_unique<PopupMenuItem>();
  item->text = text;
  item->submenu = submenu;
  items_.push_back(std::move(item));
  return items_.back().get();
}

PopupMenuItem* PopupMenu::Item(int index) {
  return index >= 0 && index < ItemCount() ? items_[static_cast<size_t>(index)].get() : nullptr;
}

std::string PopupMenu::VisibleText(int index) const {
  if (index < 0 || index >= ItemCount()) return {};
  const std::string& text = items_[static_cast<size_t>(index)]->text;
  static const char* const kFormats[] = {nullptr, "%1d: %s", "%02d: %s", "%03d: %s"};
  if (numbering_ < 1 || numbering_ > 3) return text;
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, kFormats[numbering_], index + 1, text.c_str());
  return buffer;
}

namespace {

// Each menu takes its block of ids, then its submenus take theirs, in item order.
void Number(PopupMenu& menu, int& nextId, std::vector<MenuIdRange>& out, int depth) {
  out.push_back({&menu, nextId});
  nextId += menu.ItemCount();
  if (depth > 32) return;  // a menu that contains itself ends here
  for (int i = 0; i < menu.ItemCount(); ++i)
    if (PopupMenu* sub = menu.Item(i)->submenu) Number(*sub, nextId, out, depth + 1);
}

}  // namespace

std::vector<MenuIdRange> NumberMenuTree(PopupMenu& top) {
  std::vector<MenuIdRange> ranges;
  int nextId = 0;
  Number(top, nextId, ranges, 0);
  return ranges;
}

PopupMenu* ChooseByCommandId(PopupMenu& top, int commandId) {
  for (const MenuIdRange& range : NumberMenuTree(top)) {
    if (commandId >= range.firstId && commandId < range.firstId + range.menu->ItemCount()) {
      range.menu->SetChosenIndex(commandId - range.firstId);
      return range.menu;
    }
  }
  return nullptr;
}
