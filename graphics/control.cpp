#include "graphics/control.h"

#include <cmath>

#include "framework/plugin_base.h"
#include "graphics/editor.h"
#include "graphics/rect_rules.h"

Editor* EditorOf(PluginBase* plug) {
  return plug != nullptr ? dynamic_cast<Editor*>(plug->Editor()) : nullptr;
}

Control::Control(PluginBase* plug, const Rect& rect, int paramIndex, const BlendSpec& blend)
    : plug_(plug), rect_(rect), hitRect_(rect), paramIndex_(paramIndex), blend_(blend) {}

Control::~Control() = default;

void Control::ButtonDown(int /*x*/, int /*y*/, const MouseState& mouse) {
  if (!mouse.right || paramIndex_ < 0 || promptDisabled_) return;
  PluginParam* param = plug_ != nullptr ? plug_->Param(paramIndex_) : nullptr;
  Editor* editor = EditorOf(plug_);
  if (param == nullptr || editor == nullptr) return;
  Rect prompt = rect_;
  if (param->ValueTexts().empty()) {
    // A small box centred on the control; the halves are taken in single precision.
    const int cx = static_cast<int>(static_cast<float>(rect_.L + rect_.R) * 0.5f);
    const int cy = static_cast<int>(static_cast<float>(rect_.T + rect_.B) * 0.5f);
    prompt = Rect{cx - 20, cy - 8, cx + 20, cy + 8};
  }
  editor->OpenValuePrompt(this, param, &prompt);
  SetRedrawPending();
}

void Control::ButtonUp(int, int, const MouseState&) {}
void Control::Drag(int, int, int, int, const MouseState&) {}

void Control::DoubleClick(int, int, const MouseState&) {
  const double fallback = DefaultValue();
  if (fallback < 0.0) return;
  SetValue(fallback);
  MarkDirty(true);
}

void Control::Wheel(int, int, const MouseState&, int) {}
bool Control::KeyDown(int, int, KeyCode) { return false; }
void Control::PointerOver(int, int, const MouseState&) {}
void Control::PointerOut() {}

void Control::SetValueFromHost(double value) {
  // A NaN never becomes the default: a double click would have nothing to restore.
  if (DefaultValue() < 0.0 && !std::isnan(value)) {
    SetValue(value);
    SetDefaultValue(value);
  }
  // "!=" so that a NaN counts as different from everything.
  if (Value() != value || std::isnan(value)) {
    SetValue(value);
    MarkDirty(false);
    SetRedrawPending();
  }
}

void Control::SetValueFromUser(double value) {
  if (Value() == value) return;
  SetValue(value);
  MarkDirty(true);
  SetRedrawPending();
}

void Control::SetTextFromEntry(const char*) {}

void Control::SetHidden(bool hidden) {
  hidden_ = hidden;
  SetRedrawPending();
  MarkDirty(false);
}

void Control::SetGrayed(bool greyed) {
  greyed_ = greyed;
  blend_.weight = greyed ? 0.25f : 1.0f;
  MarkDirty(false);
}

bool Control::HitTest(int x, int y) const { return !IsEmptyRect(hitRect_) && RectContains(hitRect_, x, y); }

void Control::MarkDirty(bool pushToPlugin) {
  // Only an out-of-range value is written back, and only if nobody changed it
  // meanwhile, so a clamp on one thread never undoes another thread's value.
  double value = Value();
  const double clamped = std::isnan(value) ? lowerClamp_ : std::fmin(std::fmax(value, lowerClamp_), upperClamp_);
  if (clamped != value || std::isnan(value)) value_.compare_exchange_strong(value, clamped);
  drawState_.fetch_or(kDirty);
  if (pushToPlugin && plug_ != nullptr && paramIndex_ >= 0) plug_->SetParamFromEditor(paramIndex_, Value());
}

void Control::MarkClean() {
  uint8_t state = drawState_.load();
  while (!drawState_.compare_exchange_weak(state, (state & kRedrawPending) ? kDirty : uint8_t{0})) {
  }
}

bool Control::NeedsRedraw() { return IsDirty(); }

void Control::SetAuxValueFromHost(int position, double value) {
  if (position < 0 || position >= AuxBindingCount()) return;
  AuxBinding& binding = *auxBindings_[static_cast<size_t>(position)];
  if (binding.value.load() == value) return;
  binding.value.store(value);
  MarkDirty(false);
  SetRedrawPending();
}

void Control::AddAuxBinding(int paramIndex) {
  auto binding = std::make_unique<AuxBinding>();
  binding->paramIndex = paramIndex;
  auxBindings_.push_back(std::move(binding));
}

int Control::AuxBindingParam(int position) const {
  return position >= 0 && position < AuxBindingCount() ? auxBindings_[static_cast<size_t>(position)]->paramIndex : -1;
}

double Control::AuxBindingValue(int position) const {
  return position >= 0 && position < AuxBindingCount() ? auxBindings_[static_cast<size_t>(position)]->value.load()
                                                       : 0.0;
}
