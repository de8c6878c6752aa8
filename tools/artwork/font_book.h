#pragma once
// FontBook: the few typefaces the artwork prints with, loaded from fixed files of
// Debian's font packages (fonts-dejavu-core, fonts-dejavu-extra, fonts-liberation2)
// through FreeType, never through the font configuration of the machine, so the
// same glyphs come out everywhere. Text is drawn with explicit hinting options.

#include <cairo.h>

#include <string>

enum class Typeface {
  kCaption,    // DejaVu Sans Condensed Bold: panel captions and legends
  kLabel,      // DejaVu Sans Bold: titles, button words
  kLight,      // DejaVu Sans: secondary words
  kBadge,      // Liberation Serif Bold Italic: the product name on the badge
  kDisplay,    // DejaVu Sans Mono Bold: the switch displays
  kNameDisplay,  // Liberation Sans Bold: the editor's preset name, in the preview only
  kCount
};

enum class Align { kLeft, kCentre, kRight };

struct TextSpec {
  Typeface face;
  double size;            // pixels
  double tracking = 0.0;  // extra pixels after every glyph
};

class FontBook {
 public:
  FontBook();  // throws std::runtime_error naming a missing font file
  ~FontBook();
  FontBook(const FontBook&) = delete;
  FontBook& operator=(const FontBook&) = delete;

  // Width of the text as DrawText prints it, tracking between glyphs included.
  double Width(cairo_t* cr, const TextSpec& spec, const std::string& text) const;
  // Ascent of capitals above the baseline, for centring words vertically.
  double CapHeight(cairo_t* cr, const TextSpec& spec) const;
  // Prints with the current source. `x` is the left edge, centre or right edge by
  // `align`; the start is rounded to a whole pixel so stems stay crisp.
  void Draw(cairo_t* cr, const TextSpec& spec, const std::string& text, double x, double baseline,
            Align align) const;
  // Makes the glyph outlines the current path instead of filling them (for gradients).
  void Path(cairo_t* cr, const TextSpec& spec, const std::string& text, double x, double baseline,
            Align align) const;

 private:
  struct Impl;
  Impl* impl_;
};
