#pragma once
// PanelControl: a rect filled with one colour (its alpha blends it).

#include "graphics/colour.h"
#include "graphics/control.h"

class PanelControl : public Control {
 public:
  PanelControl(PluginBase* plug, const Rect& rect, const Colour& colour, const BlendSpec& blend = BlendSpec{});
  bool Draw(Editor& editor) override;
  const Colour& GetColour() const { return colour_; }

 private:
  Colour colour_;
};
