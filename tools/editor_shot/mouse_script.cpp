#include "tools/editor_shot/mouse_script.h"

#include <cerrno>
#include <cstdlib>

namespace {

bool ParseIntegers(std::string_view text, std::vector<int>* out) {
  out->clear();
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = text.find(',', start);
    const std::string field(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (field.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(field.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || value < -100000 || value > 100000) return false;
    out->push_back(static_cast<int>(value));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return true;
}

}  // namespace

bool ParseMouseAction(MouseAction::Kind kind, std::string_view text, MouseAction* out, std::string* error) {
  static const char* const kForms[] = {"X,Y", "X,Y,DX,DY", "X,Y,NOTCHES", "X,Y"};
  static const size_t kCounts[] = {2, 4, 3, 2};
  std::vector<int> numbers;
  if (!ParseIntegers(text, &numbers) || numbers.size() != kCounts[kind]) {
    std::string message = "'";
    message.append(text);
    message.append("' is not of the form ");
    message.append(kForms[kind]);
    *error = message;
    return false;
  }
  MouseAction action{kind, numbers[0], numbers[1]};
  if (kind == MouseAction::Drag) {
    action.dX = numbers[2];
    action.dY = numbers[3];
  } else if (kind == MouseAction::Wheel) {
    action.notches = numbers[2];
  }
  *out = action;
  return true;
}

void ReplayMouseScript(Editor& editor, const std::vector<MouseAction>& actions, bool shift) {
  const MouseState left{true, false, shift, false, false};
  const MouseState released{false, false, shift, false, false};
  for (const MouseAction& a : actions) {
    switch (a.kind) {
      case MouseAction::Click:
        editor.HandleButtonDown(a.x, a.y, left);
        editor.HandleButtonUp(a.x, a.y, released);
        break;
      case MouseAction::Drag: {
        // A hand moves in steps: four moves, each a share of the whole.
        editor.HandleButtonDown(a.x, a.y, left);
        constexpr int kSteps = 4;
        for (int step = 1; step <= kSteps; ++step)
          editor.HandleDrag(a.x + a.dX * step / kSteps, a.y + a.dY * step / kSteps, left);
        editor.HandleButtonUp(a.x + a.dX, a.y + a.dY, released);
        break;
      }
      case MouseAction::Wheel:
        editor.HandleWheel(a.x, a.y, released, a.notches);
        break;
      case MouseAction::DoubleClick:
        // A window sees down, up, double click, up.
        editor.HandleButtonDown(a.x, a.y, left);
        editor.HandleButtonUp(a.x, a.y, released);
        if (editor.HandleDoubleClick(a.x, a.y, left)) editor.HandleButtonUp(a.x, a.y, released);
        break;
    }
    editor.OnTimerTick();
  }
}
