// EditorX11: popup menus, drawn by the editor in override-redirect windows of
// its own, one per open level, with the pointer and keyboard grabbed while the
// menu is up. Items answer with the depth-first command ids every window layer
// uses (popup_menu.h). The pointer chooses on release over an item, a press
// outside every level dismisses; the keys: Up and Down move, Right or Enter
// open a submenu, Enter chooses, Left and Escape close the innermost level.
#include <poll.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "graphics/bitmap/fill.h"
#include "graphics/bitmap/blend_mode.h"
#include "graphics/bitmap/mem_bitmap.h"
#include "graphics/font_cache.h"
#include "graphics/x11/editor_x11.h"
#include "graphics/x11/x11_pixels.h"
#include "graphics/x11/xlib.h"

namespace {

constexpr int kItemHeight = 20;
constexpr int kSeparatorHeight = 7;
constexpr int kTextLeft = 22;    // room for the check mark
constexpr int kTextRight = 24;   // room for the submenu arrow
constexpr int kMinimumWidth = 120;
constexpr Pixel kMenuBack = MakePixel(255, 240, 240, 240);
constexpr Pixel kMenuFrame = MakePixel(255, 120, 120, 120);
constexpr Pixel kHighlight = MakePixel(255, 48, 112, 192);
constexpr Pixel kText = MakePixel(255, 0, 0, 0);
constexpr Pixel kHighlightText = MakePixel(255, 255, 255, 255);
constexpr Pixel kGreyText = MakePixel(255, 150, 150, 150);

bool Choosable(const PopupMenuItem* item) {
  return item != nullptr && (item->flags & (kMenuItemSeparator | kMenuItemGreyed | kMenuItemDisabled)) == 0;
}

// One open level of the menu: its window, its pixels and its layout.
struct MenuLevel {
  PopupMenu* menu = nullptr;
  int firstId = 0;
  Window window = 0;
  int x = 0;  // screen position and size
  int y = 0;
  int width = 0;
  int height = 0;
  std::vector<int> itemTops;
  int highlighted = -1;
  MemBitmap pixels;

  int ItemAt(int screenX, int screenY) const {
    if (screenX < x || screenX >= x + width) return -1;
    const int localY = screenY - y;
    for (int i = 0; i < static_cast<int>(itemTops.size()); ++i) {
      const bool separator = (menu->Item(i)->flags & kMenuItemSeparator) != 0;
      const int bottom = itemTops[static_cast<size_t>(i)] + (separator ? kSeparatorHeight : kItemHeight);
      if (localY >= itemTops[static_cast<size_t>(i)] && localY < bottom) return i;
    }
    return -1;
  }
  bool Contains(int screenX, int screenY) const {
    return screenX >= x && screenX < x + width && screenY >= y && screenY < y + height;
  }
};

class DrawnMenu {
 public:
  DrawnMenu(Display* display, PopupMenu& top) : display_(display), ranges_(NumberMenuTree(top)) {
    style_ = MakeTextStyle("Verdana", 12, kColourBlack, kTextStyleNormal, kAlignNear);
    font_ = FindOrCreateFont(style_);
    const int screen = DefaultScreen(display_);
    root_ = RootWindow(display_, screen);
    visual_ = DefaultVisual(display_, screen);
    depth_ = DefaultDepth(display_, screen);
    screenWidth_ = DisplayWidth(display_, screen);
    screenHeight_ = DisplayHeight(display_, screen);
    gc_ = XCreateGC(display_, root_, 0, nullptr);
  }
  ~DrawnMenu() {
    while (!levels_.empty()) CloseLevel();
    XFreeGC(display_, gc_);
    XFlush(display_);  // the levels leave the screen now, not with the next request
  }
  DrawnMenu(const DrawnMenu&) = delete;
  DrawnMenu& operator=(const DrawnMenu&) = delete;

  bool Usable() const { return TakesBitmapPixels(visual_, depth_); }
  bool Open() const { return !levels_.empty(); }
  bool Done() const { return done_; }
  int ChosenId() const { return chosenId_; }
  Window TopWindow() const { return levels_.empty() ? 0 : levels_.front()->window; }
  bool Owns(Window window) const {
    for (const auto& level : levels_)
      if (level->window == window) return true;
    return false;
  }

  void OpenLevel(PopupMenu* menu, int firstId, int x, int y) {
    auto level = std::make_unique<MenuLevel>();
    level->menu = menu;
    level->firstId = firstId;
    int width = kMinimumWidth;
    int top = 2;
    for (int i = 0; i < menu->ItemCount(); ++i) {
      level->itemTops.push_back(top);
      const PopupMenuItem* item = menu->Item(i);
      if ((item->flags & kMenuItemSeparator) != 0) {
        top += kSeparatorHeight;
        continue;
      }
      top += kItemHeight;
      width = std::max(width, TextWidth(menu->VisibleText(i)) + kTextLeft + kTextRight);
    }
    level->width = width;
    level->height = top + 2;
    // Kept on the screen: a level that would run off the right or the bottom
    // edge moves back in.
    level->x = std::max(0, std::min(x, screenWidth_ - level->width));
    level->y = std::max(0, std::min(y, screenHeight_ - level->height));
    level->pixels.Resize(level->width, level->height);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.event_mask = ExposureMask;
    level->window = XCreateWindow(display_, root_, level->x, level->y, static_cast<unsigned>(level->width),
                                  static_cast<unsigned>(level->height), 0, CopyFromParent, InputOutput,
                                  CopyFromParent, CWOverrideRedirect | CWSaveUnder | CWEventMask, &attributes);
    XStoreName(display_, level->window, "Moravelle menu");
    XMapRaised(display_, level->window);
    levels_.push_back(std::move(level));
    Paint(*levels_.back());
  }

  void CloseLevel() {
    if (levels_.empty()) return;
    XDestroyWindow(display_, levels_.back()->window);
    levels_.pop_back();
  }

  void Dismiss() {
    done_ = true;
    chosenId_ = -1;
  }

  void Paint(MenuLevel& level) {
    Bitmap* pixels = &level.pixels;
    FillArea(pixels, 0, 0, level.width, level.height, kMenuFrame, 1.0f, kBlendCopy);
    FillArea(pixels, 1, 1, level.width - 2, level.height - 2, kMenuBack, 1.0f, kBlendCopy);
    for (int i = 0; i < level.menu->ItemCount(); ++i) {
      const PopupMenuItem* item = level.menu->Item(i);
      const int top = level.itemTops[static_cast<size_t>(i)];
      if ((item->flags & kMenuItemSeparator) != 0) {
        FillArea(pixels, 4, top + kSeparatorHeight / 2, level.width - 8, 1, kMenuFrame, 1.0f, kBlendCopy);
        continue;
      }
      const bool lit = i == level.highlighted;
      if (lit) FillArea(pixels, 2, top, level.width - 4, kItemHeight, kHighlight, 1.0f, kBlendCopy);
      const Pixel ink = !Choosable(item) && item->submenu == nullptr ? kGreyText : (lit ? kHighlightText : kText);
      if ((item->flags & kMenuItemChecked) != 0) FillArea(pixels, 8, top + 7, 6, 6, ink, 1.0f, kBlendCopy);
      if (item->submenu != nullptr)
        for (int row = 0; row < 7; ++row)  // a small triangle pointing right
          FillArea(pixels, level.width - 14, top + 6 + row, 4 - std::abs(3 - row), 1, ink, 1.0f, kBlendCopy);
      if (font_ != nullptr) {
        font_->SetTextColour(ink);
        Rect textRect{kTextLeft, top + 3, level.width - kTextRight, top + kItemHeight};
        const std::string text = level.menu->VisibleText(i);
        font_->DrawString(pixels, text.c_str(), -1, &textRect, kTextNoClip);
      }
    }
    PutPixels(display_, level.window, gc_, depth_, level.pixels, Rect{0, 0, level.width, level.height});
    XFlush(display_);
  }

  void Exposed(Window window) {
    for (const auto& level : levels_)
      if (level->window == window) Paint(*level);
  }

  // ---- The pointer, in screen pixels
  void Motion(int x, int y) {
    for (size_t depth = levels_.size(); depth-- > 0;) {
      MenuLevel& level = *levels_[depth];
      if (!level.Contains(x, y)) continue;
      const int item = level.ItemAt(x, y);
      if (item == level.highlighted) return;
      while (levels_.size() > depth + 1) CloseLevel();
      Highlight(level, item);
      if (item >= 0 && level.menu->Item(item)->submenu != nullptr) OpenSubmenu(level, false);
      return;
    }
  }
  void Press(int x, int y) {
    for (const auto& level : levels_)
      if (level->Contains(x, y)) return;
    Dismiss();
  }
  void Release(int x, int y) {
    for (size_t depth = levels_.size(); depth-- > 0;) {
      MenuLevel& level = *levels_[depth];
      if (!level.Contains(x, y)) continue;
      const int item = level.ItemAt(x, y);
      if (item >= 0 && Choosable(level.menu->Item(item)) && level.menu->Item(item)->submenu == nullptr) Choose(level, item);
      return;
    }
  }

  // ---- The keys
  void Key(KeySym key) {
    if (levels_.empty()) return;
    MenuLevel& level = *levels_.back();
    switch (key) {
      case XK_Escape:
        if (levels_.size() > 1) CloseLevel();
        else Dismiss();
        return;
      case XK_Up:
      case XK_KP_Up:
        MoveHighlight(level, -1);
        return;
      case XK_Down:
      case XK_KP_Down:
        MoveHighlight(level, 1);
        return;
      case XK_Left:
      case XK_KP_Left:
        if (levels_.size() > 1) CloseLevel();
        return;
      case XK_Right:
      case XK_KP_Right:
        if (level.highlighted >= 0 && level.menu->Item(level.highlighted)->submenu != nullptr) OpenSubmenu(level, true);
        return;
      case XK_Return:
      case XK_KP_Enter:
      case XK_space: {
        if (level.highlighted < 0) return;
        PopupMenuItem* item = level.menu->Item(level.highlighted);
        if (item->submenu != nullptr) OpenSubmenu(level, true);
        else if (Choosable(item)) Choose(level, level.highlighted);
        return;
      }
      default:
        return;
    }
  }

 private:
  int TextWidth(const std::string& text) {
    if (font_ == nullptr || text.empty()) return 0;
    Rect extent{};
    font_->DrawString(&measure_, text.c_str(), -1, &extent, kTextCalculateRect);
    return extent.R - extent.L;
  }

  void Highlight(MenuLevel& level, int item) {
    level.highlighted = item;
    Paint(level);
  }

  void MoveHighlight(MenuLevel& level, int step) {
    const int count = level.menu->ItemCount();
    int item = level.highlighted;
    for (int tries = 0; tries < count; ++tries) {
      item = item < 0 ? (step > 0 ? 0 : count - 1) : (item + step + count) % count;
      const PopupMenuItem* candidate = level.menu->Item(item);
      if (Choosable(candidate) || (candidate->submenu != nullptr && (candidate->flags & kMenuItemSeparator) == 0)) {
        Highlight(level, item);
        return;
      }
    }
  }

  // The submenu of the level's highlighted item, to its right; with the keys
  // its first item is lit.
  void OpenSubmenu(MenuLevel& level, bool lightFirst) {
    PopupMenu* submenu = level.menu->Item(level.highlighted)->submenu;
    const int top = level.itemTops[static_cast<size_t>(level.highlighted)];
    OpenLevel(submenu, FirstIdOf(submenu, level.menu), level.x + level.width - 2, level.y + top);
    if (lightFirst) MoveHighlight(*levels_.back(), 1);
  }

  // The first id of a submenu: the range after its parent's in depth-first order.
  int FirstIdOf(PopupMenu* submenu, PopupMenu* parent) const {
    bool afterParent = false;
    for (const MenuIdRange& range : ranges_) {
      if (range.menu == parent) afterParent = true;
      else if (afterParent && range.menu == submenu) return range.firstId;
    }
    return -1;
  }

  void Choose(MenuLevel& level, int item) {
    if (level.firstId < 0) return;
    chosenId_ = level.firstId + item;
    done_ = true;
  }

  Display* display_;
  std::vector<MenuIdRange> ranges_;
  std::vector<std::unique_ptr<MenuLevel>> levels_;
  TextStyle style_;
  MemBitmap measure_{1, 1};
  CachedFont* font_ = nullptr;
  Window root_ = 0;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  int screenWidth_ = 0;
  int screenHeight_ = 0;
  GC gc_ = nullptr;
  bool done_ = false;
  int chosenId_ = -1;
};

}  // namespace

PopupMenu* EditorX11::ShowPopupMenu(PopupMenu& menu, const Rect& rect) {
  DropMouseCapture();
  rules_.CaptureLost();
  if (display_ == nullptr || window_ == 0 || menu.ItemCount() == 0) return nullptr;
  DrawnMenu drawn(display_, menu);
  if (!drawn.Usable()) return nullptr;
  int x = 0;
  int y = 0;
  Window child = 0;
  XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), rect.L, rect.B, &x, &y, &child);
  drawn.OpenLevel(&menu, 0, x, y);
  // The press that opened the menu still holds the pointer: the grab moves to
  // the menu, which sees every event of this client's windows.
  XUngrabPointer(display_, CurrentTime);
  const unsigned pointerEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
  XGrabPointer(display_, drawn.TopWindow(), True, pointerEvents, GrabModeAsync, GrabModeAsync, None, None,
               CurrentTime);
  XGrabKeyboard(display_, drawn.TopWindow(), True, GrabModeAsync, GrabModeAsync, CurrentTime);
  XFlush(display_);

  // The menu's own loop: the host gets no events meanwhile, as with any modal
  // menu; the editor's window still shows and redraws.
  while (!drawn.Done() && display_ != nullptr && window_ != 0) {
    while (!drawn.Done() && XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      switch (event.type) {
        case Expose:
          if (event.xany.window == window_) HandleEvent(event);
          else drawn.Exposed(event.xany.window);
          break;
        case MotionNotify:
          drawn.Motion(event.xmotion.x_root, event.xmotion.y_root);
          break;
        case ButtonPress:
          drawn.Press(event.xbutton.x_root, event.xbutton.y_root);
          break;
        case ButtonRelease:
          drawn.Release(event.xbutton.x_root, event.xbutton.y_root);
          break;
        case KeyPress:
          drawn.Key(XLookupKeysym(&event.xkey, 0));
          break;
        case DestroyNotify:
          HandleEvent(event);
          break;
        default:
          break;
      }
    }
    if (drawn.Done() || window_ == 0) break;
    const Clock::time_point now = Clock::now();
    if (now - lastTick_ >= std::chrono::milliseconds(TimerPeriodMs())) {
      lastTick_ = now;
      OnTimer();
    }
    pollfd waiting{ConnectionNumber(display_), POLLIN, 0};
    poll(&waiting, 1, TimerPeriodMs());
  }
  XUngrabKeyboard(display_, CurrentTime);
  XUngrabPointer(display_, CurrentTime);
  const int chosenId = drawn.Done() ? drawn.ChosenId() : -1;
  PopupMenu* found = chosenId >= 0 ? ChooseByCommandId(menu, chosenId) : nullptr;
  if (window_ != 0)
    for (int i = 0; i < ControlCount(); ++i) ControlAt(i)->MarkDirty(false);
  return found;
}
