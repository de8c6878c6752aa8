#pragma once
// KnobControl: a control turned by dragging (direction and gearing);
// KnobStripControl draws it from an image strip, the frame nearest its value.

#include "graphics/control.h"
#include "graphics/image_strip.h"

class KnobControl : public Control {
 public:
  static constexpr int kVertical = 0;  // any other direction is horizontal

  KnobControl(PluginBase* plug, const Rect& rect, int paramIndex, int direction, double gearing,
              const BlendSpec& blend);
  int Direction() const { return direction_; }
  // Control heights (or widths) of drag for the full range; ten times that with shift or control.
  double Gearing() const { return gearing_; }

 protected:
  int direction_;
  double gearing_;
};

class KnobStripControl : public KnobControl {
 public:
  KnobStripControl(PluginBase* plug, int x, int y, int paramIndex, const ImageStrip& image, int direction,
                   double gearing, const BlendSpec& blend = BlendSpec{});

  // Up (or right) raises the value: a drag of one control height changes it by 1 / gearing.
  void Drag(int x, int y, int dX, int dY, const MouseState& mouse) override;
  // 0.01 per notch, 0.001 with shift or control.
  void Wheel(int x, int y, const MouseState& mouse, int notches) override;
  bool Draw(Editor& editor) override;
  const ImageStrip& Image() const { return image_; }

 private:
  ImageStrip image_;
};
