#pragma once
// PopupMenu: a menu the editor asks the window to show. A menu owns its items;
// an item's submenu is not owned by the item (whoever built the tree keeps it).
//
// Command ids, the numbering every window's menu uses: ids are handed out depth
// first, a menu with n items reserving the next n ids (the top menu from 0)
// before its submenus reserve theirs, so item i (from 0) of a menu whose first
// id is f has id f + i.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PopupMenu;

enum PopupItemFlags : int32_t {
  kMenuItemGreyed = 1,
  kMenuItemDisabled = 2,
  kMenuItemChecked = 4,
  kMenuItemSeparator = 8,
};

struct PopupMenuItem {
  std::string text;
  PopupMenu* submenu = nullptr;  // not owned
  int32_t flags = 0;
};

class PopupMenu {
 public:
  enum Numbering : int32_t { kNumberingNone = 0, kNumbering1 = 1, kNumbering2 = 2, kNumbering3 = 3 };

  explicit PopupMenu(int numbering = kNumberingNone) : numbering_(numbering) {}
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;

  PopupMenuItem* AddItem(const std::string& text);
  PopupMenuItem* AddSubmenu(const std::string& text, PopupMenu* submenu);

  int Numbering() const { return numbering_; }
  int ChosenIndex() const { return chosenIndex_; }
  void SetChosenIndex(int index) { chosenIndex_ = index; }
  int ItemCount() const { return static_cast<int>(items_.size()); }
  PopupMenuItem* Item(int index);  // null outside 0..count-1
  // The text a window shows for item index (numbered when the style asks).
  std::string VisibleText(int index) const;

 private:
  int numbering_;
  int chosenIndex_ = -1;  // -1: nothing chosen
  std::vector<std::unique_ptr<PopupMenuItem>> items_;
};

// The menu of the tree under top whose id range holds commandId, with its
// chosen index set to the item; null (and nothing changed) when no menu has it.
PopupMenu* ChooseByCommandId(PopupMenu& top, int commandId);

// The first command id of each menu in the tree, in depth-first order, for a
// window that builds its system menu from the tree.
struct MenuIdRange {
  PopupMenu* menu;
  int firstId;
};
std::vector<MenuIdRange> NumberMenuTree(PopupMenu& top);
