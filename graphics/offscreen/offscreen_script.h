#pragma once
// The answers an offscreen editor gives in place of a user at a dialog, taken
// in order, and the record of what it was asked. A question with no answer
// left is dismissed: no menu item, a cancelled text entry, no file.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "graphics/colour.h"

class OffscreenEditor;

struct OffscreenScript {
  std::deque<int> menuChoices;  // command ids (depth-first numbering); -1 dismisses
  std::deque<std::optional<std::string>> textEntries;  // committed text; nullopt cancels
  std::deque<std::string> fileChoices;  // the chosen path; "" cancels
  std::deque<std::optional<Colour>> colourChoices;  // nullopt cancels
  // Runs while a file dialog is "open", before its answer is taken (tests draw here).
  std::function<void(OffscreenEditor&)> whileDialogOpen;
  std::string clipboard;
  std::string hostFolder;
  std::string pluginFolder;
  std::string desktopFolder;
  std::string appDataFolder;
  std::string userAppDataFolder;

  // One line per question, e.g. "menu 3", "text 0.50", "file open /presets".
  std::vector<std::string> asked;
};
