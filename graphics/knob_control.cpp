#include "graphics/knob_control.h"

#include "graphics/bitmap_control.h"
#include "graphics/editor.h"

KnobControl::KnobControl(PluginBase* plug, const Rect& rect, int paramIndex, int direction, double gearing,
                         const BlendSpec& blend)
    : Control(plug, rect, paramIndex, blend), direction_(direction), gearing_(gearing) {}

KnobStripControl::KnobStripControl(PluginBase* plug, int x, int y, int paramIndex, const ImageStrip& image,
                                   int direction, double gearing, const BlendSpec& blend)
    : KnobControl(plug, StripRect(x, y, image), paramIndex, direction, gearing, blend), image_(image) {}

void KnobStripControl::Drag(int, int, int dX, int dY, const MouseState& mouse) {
  double gearing = gearing_;
  if (mouse.shift || mouse.control) gearing *= 10.0;
  const Rect& r = GetRect();
  // A control of zero extent (its image is missing) cannot be dragged.
  if (direction_ == kVertical) {
    if (r.T == r.B) return;
    SetValue(Value() + dY / static_cast<double>(r.T - r.B) / gearing);
  } else {
    if (r.R == r.L) return;
    SetValue(Value() + dX / static_cast<double>(r.R - r.L) / gearing);
  }
  MarkDirty(true);
}

void KnobStripControl::Wheel(int, int, const MouseState& mouse, int notches) {
  const double step = (mouse.shift || mouse.control) ? 0.001 : 0.01;
  SetValue(Value() + notches * step);
  MarkDirty(true);
}

bool KnobStripControl::Draw(Editor& editor) {
  editor.PaintImageFrame(image_, GetRect(), FrameForValue(image_.frames, Value()), &Blend());
  return true;
}
