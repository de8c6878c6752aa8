#include "graphics/bitmap_control.h"

#include "graphics/editor.h"

int FrameForValue(int frames, double value) {
  if (frames <= 1) return 1;
  const double position = (frames - 1) * value + 0.5;
  // A NaN or a value far outside 0..1 must not reach the integer conversion.
  if (!(position >= 0.0)) return 1;
  if (position >= frames) return frames;
  const int frame = static_cast<int>(position) + 1;
  return frame < 1 ? 1 : (frame > frames ? frames : frame);
}

Rect StripRect(int x, int y, const ImageStrip& strip) {
  return Rect{x, y, x + strip.FrameWidth(), y + strip.FrameHeight()};
}

BitmapControl::BitmapControl(PluginBase* plug, const Rect& rect, int paramIndex, const ImageStrip& image,
                             const BlendSpec& blend)
    : Control(plug, rect, paramIndex, blend), image_(image) {}

BitmapControl::BitmapControl(PluginBase* plug, int x, int y, int paramIndex, const ImageStrip& image,
                             const BlendSpec& blend)
    : BitmapControl(plug, StripRect(x, y, image), paramIndex, image, blend) {}

bool BitmapControl::Draw(Editor& editor) {
  const int frame = image_.frames <= 1 ? 1 : FrameForValue(image_.frames, Value());
  editor.PaintImageFrame(image_, GetRect(), frame, &Blend());
  return true;
}

void SwitchControl::ButtonDown(int, int, const MouseState&) {
  double value = Value() + (image_.frames > 1 ? 1.0 / (image_.frames - 1) : 1.0);
  if (value > 1.001) value = 0.0;
  SetValue(value);
  MarkDirty(true);
}

void SwitchControl::DoubleClick(int x, int y, const MouseState& mouse) { SwitchControl::ButtonDown(x, y, mouse); }

void ContactControl::ButtonUp(int, int, const MouseState&) {
  SetValue(0.0);
  MarkDirty(true);
}
