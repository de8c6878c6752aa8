#include "graphics/text_control.h"

#include "graphics/editor.h"

TextControl::TextControl(PluginBase* plug, const Rect& rect, const TextStyle& style, const char* text,
                         const BlendSpec& blend)
    : Control(plug, rect, -1, blend), text_(text != nullptr ? text : "") {
  SetStyle(style);
}

TextControl::~TextControl() = default;

void TextControl::SetDisplayText(const char* text) {
  const std::string replacement = text != nullptr ? text : "";
  {
    std::lock_guard<std::mutex> hold(textLock_);
    if (replacement == text_) return;
    text_ = replacement;
  }
  MarkDirty(false);
}

std::string TextControl::DisplayText() const {
  std::lock_guard<std::mutex> hold(textLock_);
  return text_;
}

bool TextControl::Draw(Editor& editor) {
  const std::string text = DisplayText();
  if (text.empty()) return true;
  Rect rect = GetRect();
  return editor.PaintText(Style(), text.c_str(), rect, false);
}
