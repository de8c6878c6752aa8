#pragma once
// BitmapControl: draws one frame of an image strip, the frame nearest to its
// value. SwitchControl steps through the frames on each click, wrapping to the
// first; ContactControl is a momentary button (1 while pressed, 0 on release).

#include "graphics/control.h"
#include "graphics/image_strip.h"

// The frame (1..N) a value picks: trunc((N - 1) * v + 0.5) + 1, clamped.
int FrameForValue(int frames, double value);

// The rect of one frame of the strip placed at (x, y).
Rect StripRect(int x, int y, const ImageStrip& strip);

class BitmapControl : public Control {
 public:
  BitmapControl(PluginBase* plug, const Rect& rect, int paramIndex, const ImageStrip& image, const BlendSpec& blend);
  // Placed at (x, y), one frame in size.
  BitmapControl(PluginBase* plug, int x, int y, int paramIndex, const ImageStrip& image,
                const BlendSpec& blend = BlendSpec{});

  bool Draw(Editor& editor) override;
  const ImageStrip& Image() const { return image_; }

 protected:
  ImageStrip image_;
};

class SwitchControl : public BitmapControl {
 public:
  using BitmapControl::BitmapControl;
  // One step: 1 / (N - 1) for N > 1 frames, else 1; past 1 it wraps to 0. Sent to the plug-in.
  void ButtonDown(int x, int y, const MouseState& mouse) override;
  void DoubleClick(int x, int y, const MouseState& mouse) override;  // one more step
};

class ContactControl : public SwitchControl {
 public:
  using SwitchControl::SwitchControl;
  void ButtonUp(int x, int y, const MouseState& mouse) override;  // back to 0, sent
};
