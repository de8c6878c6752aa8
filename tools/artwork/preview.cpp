#include "preview.h"

#include "control_places.h"
#include "paint.h"

namespace {

// Paints one frame of a vertical strip with its top-left corner at (x, y).
void PaintFrame(cairo_t* cr, ArtImage* image, int frame, int x, int y) {
  if (!image) return;
  const int frameHeight = image->height / image->frames;
  cairo_save(cr);
  cairo_rectangle(cr, x, y, image->width, frameHeight);
  cairo_clip(cr);
  cairo_set_source_surface(cr, image->canvas.Surface(), x, y - frame * frameHeight);
  cairo_paint(cr);
  cairo_restore(cr);
}

}  // namespace

Canvas ComposePreview(const FontBook& fonts, std::vector<ArtImage>& images, bool lit) {
  Canvas canvas(1000, 530);
  cairo_t* cr = canvas.Cr();
  PaintFrame(cr, FindImage(images, 101), 0, 0, 0);
  PaintFrame(cr, FindImage(images, 119), 0, kRackRect.left, kRackRect.top);
  for (Section s : {Section::kPreamp, Section::kReverb, Section::kAmp}) {
    const EditorRect r = SectionPanelRect(s);
    PaintFrame(cr, FindImage(images, SectionPanelImageId(s)), 0, r.left, r.top);
  }
  for (const ControlPlace& place : ControlPlaces()) {
    ArtImage* image = FindImage(images, place.imageId);
    int frame = place.defaultFrame;
    if (lit && image) frame = place.kind == PlaceKind::kKnob ? (place.defaultFrame * 7 + 23) % image->frames
                                                             : image->frames - 1;
    PaintFrame(cr, image, frame, place.rect.left, place.rect.top);
  }
  PaintFrame(cr, FindImage(images, 115), 0, 0, 0);
  // The name strip and display are controls of the editor, not images; drawn here as it draws them.
  cairo_rectangle(cr, 300, 0, 400, 25);
  cairo_set_source_rgba(cr, 0, 0, 0, 140 / 255.0);
  cairo_fill(cr);
  SetColour(cr, Hex(100, 100, 100));
  fonts.Draw(cr, {Typeface::kNameDisplay, 20}, "< Presets Library >", 500, 21, Align::kCentre);
  PaintFrame(cr, FindImage(images, 108), 0, 280, 0);
  PaintFrame(cr, FindImage(images, 109), 0, 700, 0);
  PaintFrame(cr, FindImage(images, 110), 0, 240, 0);
  PaintFrame(cr, FindImage(images, 111), 0, 720, 0);
  return canvas;
}
