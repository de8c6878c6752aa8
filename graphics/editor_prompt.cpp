// Editor: the value prompt (a menu of value texts or a text entry) and what a
// committed text entry does, shared by every window layer.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/decimal_text.h"
#include "framework/plugin_param.h"
#include "graphics/editor.h"

namespace {

bool PromptsWithMenu(const PluginParam& param) {
  return param.Type() == ParamType::Enum || (param.Type() == ParamType::Bool && !param.ValueTexts().empty());
}

const char* FirstTextForValue(const PluginParam& param, int value) {
  for (const ValueText& entry : param.ValueTexts())
    if (entry.value == value) return entry.text;
  return "";
}

}  // namespace

void Editor::OpenValuePrompt(Control* control, PluginParam* param, const Rect* rect) {
  if (control == nullptr || param == nullptr || rect == nullptr) return;
  if (PromptsWithMenu(*param)) {
    char current[kParamTextSize] = {};
    param->FormatForHost(current, sizeof current);
    PopupMenu menu(PopupMenu::kNumberingNone);
    const int count = static_cast<int>(param->ValueTexts().size());
    for (int value = 0; value < count; ++value) {
      const char* text = FirstTextForValue(*param, value);
      PopupMenuItem* item = menu.AddItem(text);
      if (std::strcmp(text, current) == 0) item->flags |= kMenuItemChecked;
    }
    if (PopupMenu* chosen = ShowPopupMenu(menu, *rect))
      control->SetValueFromUser(param->ToNormalized(static_cast<double>(chosen->ChosenIndex())));
    return;
  }
  double value = param->Value();
  if (param->NegateDisplay()) value = -value;
  char text[64];
  if (param->Precision() > 0) FormatFixedDecimal(value, param->Precision(), text, sizeof text);
  else std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  OpenTextEntry(control, control->Style(), *rect, text, param);
}

bool Editor::TextEntryAccepts(const PluginParam* param, char c) {
  if (c == '\b' || param == nullptr || param->Type() == ParamType::None) return true;
  const bool numberChar = c == '+' || c == '-' || (c >= '0' && c <= '9');
  if (param->Type() == ParamType::Double) return numberChar || c == '.';
  return numberChar;
}

void Editor::CommitTextEntry(Control* control, PluginParam* param, const std::string& text) {
  if (control == nullptr) return;
  const std::string entered = text.substr(0, 31);
  if (param == nullptr) {
    control->SetTextFromEntry(entered.c_str());
    return;
  }
  double value = 0.0;
  if (param->IsListValued()) {
    for (const ValueText& entry : param->ValueTexts())
      if (entered == entry.text) {
        value = entry.value;
        break;
      }
  } else {
    // The entry admits only signs, digits and points, so no exponent or word gets through.
    value = ParseLeadingDecimal(entered).value_or(0.0);
    if (param->NegateDisplay()) value = -value;
  }
  control->SetValueFromUser(param->ToNormalized(value));
}
