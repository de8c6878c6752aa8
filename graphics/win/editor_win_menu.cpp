// EditorWin: popup menus, built from the PopupMenu tree with the depth-first
// command ids every window layer uses (popup_menu.h).
#include <windows.h>

#include <vector>

#include "graphics/win/editor_win.h"

namespace {

// The system menu's ids are the tree's ids plus one: TrackPopupMenu answers 0
// when nothing was chosen, and the tree's first item has id 0.
constexpr int kSystemIdOffset = 1;

HMENU BuildSystemMenu(PopupMenu& menu, const std::vector<MenuIdRange>& ranges, size_t& rangeIndex) {
  HMENU systemMenu = CreatePopupMenu();
  const int firstId = ranges[rangeIndex].firstId;
  ++rangeIndex;
  for (int i = 0; i < menu.ItemCount(); ++i) {
    PopupMenuItem* item = menu.Item(i);
    if ((item->flags & kMenuItemSeparator) != 0) {
      AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const std::string text = menu.VisibleText(i);
    if (item->submenu != nullptr && rangeIndex < ranges.size() && ranges[rangeIndex].menu == item->submenu) {
      HMENU sub = BuildSystemMenu(*item->submenu, ranges, rangeIndex);
      AppendMenuA(systemMenu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), text.c_str());
      continue;
    }
    UINT flags = MF_STRING;
    if ((item->flags & kMenuItemGreyed) != 0) flags |= MF_GRAYED;
    if ((item->flags & kMenuItemDisabled) != 0) flags |= MF_DISABLED;
    if ((item->flags & kMenuItemChecked) != 0) flags |= MF_CHECKED;
    AppendMenuA(systemMenu, flags, static_cast<UINT_PTR>(firstId + i + kSystemIdOffset), text.c_str());
  }
  return systemMenu;
}

}  // namespace

PopupMenu* EditorWin::ShowPopupMenu(PopupMenu& menu, const Rect& rect) {
  DropMouseCapture();
  if (window_ == nullptr) return nullptr;
  HWND window = static_cast<HWND>(window_);
  const std::vector<MenuIdRange> ranges = NumberMenuTree(menu);
  size_t rangeIndex = 0;
  HMENU systemMenu = BuildSystemMenu(menu, ranges, rangeIndex);
  POINT corner{rect.L, rect.B};
  ClientToScreen(window, &corner);
  const int chosen = static_cast<int>(TrackPopupMenu(systemMenu, TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD,
                                                     corner.x, corner.y, 0, window, nullptr));
  DestroyMenu(systemMenu);
  PopupMenu* found = chosen >= kSystemIdOffset ? ChooseByCommandId(menu, chosen - kSystemIdOffset) : nullptr;
  // The host may have closed the editor while the menu was up.
  if (window_ != nullptr) {
    RECT whole{0, 0, Width(), Height()};
    InvalidateRect(static_cast<HWND>(window_), &whole, FALSE);
  }
  return found;
}
