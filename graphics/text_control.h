#pragma once
// TextControl: one line of text in its style. The text may be replaced from any
// thread (preset loading runs on the host's threads); a small lock of the
// control's own guards it, and the drawing pass works on a copy.

#include <mutex>
#include <string>

#include "graphics/control.h"

class TextControl : public Control {
 public:
  TextControl(PluginBase* plug, const Rect& rect, const TextStyle& style, const char* text,
              const BlendSpec& blend = BlendSpec{});
  ~TextControl() override;

  // [any] Replaces the text and marks the control dirty; the same text again changes nothing.
  void SetDisplayText(const char* text);
  std::string DisplayText() const;  // [any]
  bool Draw(Editor& editor) override;  // false when no font could be made

 private:
  mutable std::mutex textLock_;
  std::string text_;
};
