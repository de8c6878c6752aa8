#pragma once
// BlendSpec: how a control's pixels combine with what lies below. Every control
// carries one; its weight drops to a quarter while the control is greyed.

#include <cstdint>

enum class BlendMethod : int32_t {
  None = 0,         // draw with the source's alpha
  Replace = 1,      // copy, ignoring alpha
  Add = 2,          // add, weighted by the source's alpha
  ColourDodge = 3,  // colour dodge, weighted by the source's alpha
};

struct BlendSpec {
  BlendMethod method = BlendMethod::None;
  float weight = 1.0f;  // 1.0 is full strength
};

// The blend mode of the bitmap layer (blend_mode.h) for a spec; null means an
// alpha copy at full weight.
int BitmapBlendMode(const BlendSpec* blend);
inline float BlendWeight(const BlendSpec* blend) { return blend ? blend->weight : 1.0f; }
