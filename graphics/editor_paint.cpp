// Editor: the drawing primitives and the timer-driven drawing pass.
#include <cstring>

#include "graphics/bitmap/blend_mode.h"
#include "graphics/bitmap/blit.h"
#include "graphics/bitmap/fill.h"
#include "graphics/editor.h"
#include "graphics/font_cache.h"
#include "graphics/rect_rules.h"

int BitmapBlendMode(const BlendSpec* blend) {
  if (blend == nullptr) return kBlendAlphaCopy;
  switch (blend->method) {
    case BlendMethod::Replace: return kBlendCopy;
    case BlendMethod::Add: return kBlendAlphaAdd;
    case BlendMethod::ColourDodge: return kBlendAlphaColourDodge;
    case BlendMethod::None:
    default: return kBlendAlphaCopy;
  }
}

bool Editor::PaintImage(const ImageStrip& strip, const Rect& dest, int sourceX, int sourceY, const BlendSpec* blend) {
  Rect clip{};
  if (!IsEmptyRect(dest) && !IsEmptyRect(redrawArea_) && RectsOverlap(dest, redrawArea_))
    clip = RectIntersection(dest, redrawArea_);
  if (strip.image == nullptr || !surface_) return true;
  if (clip.L >= clip.R || clip.T >= clip.B) return true;
  const Rect source{sourceX + clip.L - dest.L, sourceY + clip.T - dest.T, sourceX + clip.R - dest.L,
                    sourceY + clip.B - dest.T};
  BlitImage(surface_.get(), strip.image, clip.L, clip.T, &source, BlendWeight(blend), BitmapBlendMode(blend));
  return true;
}

bool Editor::PaintImageFrame(const ImageStrip& strip, const Rect& dest, int frame, const BlendSpec* blend) {
  int sourceX = 0;
  int sourceY = 0;
  if (strip.frames >= 2 && frame >= 2) {
    const int extent = strip.framesHorizontal ? strip.width : strip.height;
    const int offset = static_cast<int>(static_cast<double>(extent) * (frame - 1) / strip.frames + 0.5);
    (strip.framesHorizontal ? sourceX : sourceY) = offset;
  }
  return PaintImage(strip, dest, sourceX, sourceY, blend);
}

bool Editor::PaintRect(const Colour& colour, const Rect& rect, const BlendSpec* blend) {
  if (surface_)
    FillArea(surface_.get(), rect.L, rect.T, rect.R - rect.L, rect.B - rect.T, colour.ToPixel(), BlendWeight(blend),
             BitmapBlendMode(blend));
  return true;
}

bool Editor::PaintText(TextStyle& style, const char* text, Rect& rect, bool measure) {
  if (text == nullptr || text[0] == '\0') return true;
  if (style.cachedFont == nullptr) style.cachedFont = FindOrCreateFont(style);
  CachedFont* font = style.cachedFont;
  if (font == nullptr) return false;
  font->SetTextColour(style.colour.ToPixel());
  int format = kTextNoClip;
  if (style.alignment == kAlignCentre) format |= kTextCentre;
  else if (style.alignment == kAlignFar) format |= kTextRight;
  if (style.colour.A != 255) format |= kTextUseColourAlpha;

  if (!measure) {
    if (surface_) font->DrawString(surface_.get(), text, -1, &rect, format);
    return true;
  }
  Rect extent{};
  font->DrawString(surface_.get(), text, -1, &extent, format | kTextCalculateRect);
  const int w = extent.R - extent.L;
  const int h = extent.B - extent.T;
  if (style.alignment == kAlignCentre) {
    // Both halves truncate toward zero; the first is taken in single precision.
    rect.L = static_cast<int>(static_cast<float>(rect.L + rect.R) * 0.5f) - w / 2;
    rect.R = rect.L + w;
  } else if (style.alignment == kAlignFar) {
    rect.L = rect.R - w;
  } else {
    rect.R = rect.L + w;
  }
  rect.B = rect.T + h;
  return true;
}

bool Editor::MeasureText(TextStyle& style, const char* text, Rect& rect) { return PaintText(style, text, rect, true); }

bool Editor::CollectDirtyArea(Rect& rect) {
  bool any = false;
  for (const std::unique_ptr<Control>& control : controls_) {
    if (!control->NeedsRedraw()) continue;
    any = true;
    if (IsEmptyRect(rect)) rect = control->GetRect();
    else if (!IsEmptyRect(control->GetRect())) rect = RectUnion(rect, control->GetRect());
  }
  return any;
}

bool Editor::Redraw(const Rect& rect) {
  if (controls_.empty()) return true;
  redrawArea_ = rect;
  for (const std::unique_ptr<Control>& control : controls_) {
    if (!IsEmptyRect(redrawArea_) && !control->IsHidden() && !IsEmptyRect(control->GetRect()) &&
        RectsOverlap(redrawArea_, control->GetRect()))
      control->Draw(*this);
    control->MarkClean();  // drawn or not: every control leaves the pass clean
  }
  return PresentArea(rect);
}

bool Editor::OnTimerTick() {
  Rect dirty{};
  if (!CollectDirtyArea(dirty)) return false;
  Redraw(dirty);
  return true;
}
