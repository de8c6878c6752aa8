#pragma once
// Control: the base of every visible, clickable part of the editor. It holds the
// control's rect, its bound parameter, its normalised value (0..1) and its
// drawing state; the editor owns it once added, routes events to it and calls
// Draw during a drawing pass.
//
// Threads: everything runs on the editor's window thread [editor], except
// SetValueFromHost and SetAuxValueFromHost, which the host's parameter path
// calls with the instance lock held [host]. Those two only write the value and
// the flags, and both are atomics, so the window thread may read them at any
// time. The dirty and redraw-pending flags live in one atomic word so that
// MarkClean's "dirty := redraw pending, pending := false" cannot swallow a flag
// the host sets in between.

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/bitmap/rect.h"
#include "graphics/blend_spec.h"
#include "graphics/input_events.h"
#include "graphics/text_style.h"

class Editor;
class PluginBase;

// The editor the plug-in base holds, or null when it has none (or it is not an
// Editor). [any]
Editor* EditorOf(PluginBase* plug);

class Control {
 public:
  // plug may be null (the control then only changes its own value); paramIndex
  // -1 binds no parameter.
  Control(PluginBase* plug, const Rect& rect, int paramIndex, const BlendSpec& blend);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // ---- Events from the editor [editor]
  // Right button: the value prompt when the control has a parameter and its
  // prompt is enabled; otherwise nothing.
  virtual void ButtonDown(int x, int y, const MouseState& mouse);
  virtual void ButtonUp(int x, int y, const MouseState& mouse);
  virtual void Drag(int x, int y, int dX, int dY, const MouseState& mouse);
  // Restores the default value when there is one.
  virtual void DoubleClick(int x, int y, const MouseState& mouse);
  virtual void Wheel(int x, int y, const MouseState& mouse, int notches);
  virtual bool KeyDown(int x, int y, KeyCode key);  // true: handled
  // Never called: the editor does not track the pointer while no button is held.
  virtual void PointerOver(int x, int y, const MouseState& mouse);
  virtual void PointerOut();
  virtual bool Draw(Editor& editor) = 0;  // [editor] during a drawing pass

  // ---- Values
  // [host] Stores a value that came from the plug-in; the first one also becomes
  // the double-click default. Never sends it back.
  virtual void SetValueFromHost(double value);
  // [editor] A value the user chose (menu, text entry): stored and sent to the plug-in.
  virtual void SetValueFromUser(double value);
  virtual void SetTextFromEntry(const char* text);  // [editor] text entry without a parameter
  virtual void SetHidden(bool hidden);
  virtual void SetGrayed(bool greyed);
  virtual bool HitTest(int x, int y) const;
  // Clamps the value, marks the control dirty and, with pushToPlugin, sends the
  // value to the plug-in (SetParamFromEditor, which takes the instance lock).
  virtual void MarkDirty(bool pushToPlugin);
  virtual void MarkClean();  // after a drawing pass
  virtual bool NeedsRedraw();
  // [host] A secondary parameter's value; position is the binding's index.
  virtual void SetAuxValueFromHost(int position, double value);

  // ---- Fields
  PluginBase* Plug() const { return plug_; }
  const Rect& GetRect() const { return rect_; }
  const Rect& HitRect() const { return hitRect_; }
  void SetHitRect(const Rect& rect) { hitRect_ = rect; }
  int ParamIndex() const { return paramIndex_; }
  double Value() const { return value_.load(std::memory_order_acquire); }
  // Sets the value alone, without flags or messages (drags and switches build on it).
  void SetValue(double value) { value_.store(value, std::memory_order_release); }
  double DefaultValue() const { return defaultValue_.load(std::memory_order_acquire); }
  void SetDefaultValue(double value) { defaultValue_.store(value, std::memory_order_release); }
  void SetClampRange(double lower, double upper) { lowerClamp_ = lower; upperClamp_ = upper; }
  bool IsDirty() const { return (drawState_.load() & kDirty) != 0; }
  bool RedrawPending() const { return (drawState_.load() & kRedrawPending) != 0; }
  bool IsHidden() const { return hidden_; }
  bool IsGreyed() const { return greyed_; }
  bool PromptDisabled() const { return promptDisabled_; }
  void SetPromptDisabled(bool disabled) { promptDisabled_ = disabled; }
  bool DoubleClickAsButtonDown() const { return doubleClickAsButtonDown_; }
  void SetDoubleClickAsButtonDown(bool flag) { doubleClickAsButtonDown_ = flag; }
  const BlendSpec& Blend() const { return blend_; }
  TextStyle& Style() { return style_; }
  void SetStyle(const TextStyle& style) { style_ = style; }
  int TextEntryLimit() const { return textEntryLimit_; }
  void SetTextEntryLimit(int limit) { textEntryLimit_ = limit; }

  // Secondary bindings: further parameters the control follows ([editor], before
  // the editor is attached).
  void AddAuxBinding(int paramIndex);
  int AuxBindingCount() const { return static_cast<int>(auxBindings_.size()); }
  int AuxBindingParam(int position) const;   // -1 outside the list
  double AuxBindingValue(int position) const;  // 0 outside the list

 protected:
  void SetRedrawPending() { drawState_.fetch_or(kRedrawPending); }

 private:
  static constexpr uint8_t kDirty = 1;
  static constexpr uint8_t kRedrawPending = 2;

  struct AuxBinding {
    std::atomic<double> value{0.0};
    int paramIndex = -1;
  };

  int textEntryLimit_ = 7;
  TextStyle style_;
  PluginBase* plug_;
  Rect rect_;
  Rect hitRect_;
  int paramIndex_;
  std::vector<std::unique_ptr<AuxBinding>> auxBindings_;
  std::atomic<double> value_{0.0};
  std::atomic<double> defaultValue_{-1.0};  // negative: none
  double lowerClamp_ = 0.0;
  double upperClamp_ = 1.0;
  std::atomic<uint8_t> drawState_{kDirty};
  bool hidden_ = false;
  bool greyed_ = false;
  bool promptDisabled_ = true;
  bool doubleClickAsButtonDown_ = false;
  BlendSpec blend_;
};
