#include "font_book.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <stdexcept>
#include <vector>

namespace {

const char* const kFontFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-BoldItalic.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
};
static_assert(sizeof(kFontFiles) / sizeof(kFontFiles[0]) == static_cast<size_t>(Typeface::kCount));

const cairo_user_data_key_t kFaceKey{};

}  // namespace

struct FontBook::Impl {
  FT_Library library = nullptr;
  std::vector<FT_Face> ftFaces;
  std::vector<cairo_font_face_t*> faces;
  cairo_font_options_t* options = nullptr;

  ~Impl() {
    for (cairo_font_face_t* face : faces) cairo_font_face_destroy(face);
    if (options) cairo_font_options_destroy(options);
    // cairo releases the FreeType faces through the user-data destroy hooks once it lets go.
    cairo_debug_reset_static_data();
    if (library) FT_Done_FreeType(library);
  }

  cairo_scaled_font_t* Select(cairo_t* cr, const TextSpec& spec) const {
    cairo_set_font_face(cr, faces[static_cast<size_t>(spec.face)]);
    cairo_set_font_size(cr, spec.size);
    cairo_set_font_options(cr, options);
    return cairo_get_scaled_font(cr);
  }

  // Glyphs of the text with tracking applied, starting at x = 0 on the baseline.
  std::vector<cairo_glyph_t> Layout(cairo_t* cr, const TextSpec& spec, const std::string& text, double* width) const {
    cairo_scaled_font_t* font = Select(cr, spec);
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    std::vector<cairo_glyph_t> out;
    *width = 0;
    if (cairo_scaled_font_text_to_glyphs(font, 0, 0, text.c_str(), static_cast<int>(text.size()), &glyphs, &count,
                                         nullptr, nullptr, nullptr) != CAIRO_STATUS_SUCCESS)
      return out;
    out.assign(glyphs, glyphs + count);
    cairo_glyph_free(glyphs);
    for (int i = 0; i < count; ++i) out[static_cast<size_t>(i)].x += spec.tracking * i;
    if (count > 0) {
      cairo_text_extents_t last;
      cairo_scaled_font_glyph_extents(font, &out.back(), 1, &last);
      *width = out.back().x + last.x_advance;
    }
    return out;
  }

  void Place(cairo_t* cr, const TextSpec& spec, const std::string& text, double x, double baseline, Align align,
             bool fill) const {
    double width = 0;
    std::vector<cairo_glyph_t> glyphs = Layout(cr, spec, text, &width);
    double left = x;
    if (align == Align::kCentre) left = x - width / 2;
    if (align == Align::kRight) left = x - width;
    left = std::round(left);
    for (cairo_glyph_t& g : glyphs) {
      g.x += left;
      g.y += baseline;
    }
    if (fill) cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    else cairo_glyph_path(cr, glyphs.data(), static_cast<int>(glyphs.size()));
  }
};

FontBook::FontBook() : impl_(new Impl) {
  if (FT_Init_FreeType(&impl_->library) != 0) {
    delete impl_;
    throw std::runtime_error("FreeType does not start");
  }
  impl_->options = cairo_font_options_create();
  cairo_font_options_set_antialias(impl_->options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(impl_->options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(impl_->options, CAIRO_HINT_METRICS_ON);
  for (const char* file : kFontFiles) {
    FT_Face ftFace = nullptr;
    if (FT_New_Face(impl_->library, file, 0, &ftFace) != 0) {
      delete impl_;
      throw std::runtime_error(std::string("font file missing or unreadable: ") + file);
    }
    cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
    // The FreeType face must outlive cairo's use of it: cairo drops it when the face dies.
    cairo_font_face_set_user_data(face, &kFaceKey, ftFace, [](void* f) { FT_Done_Face(static_cast<FT_Face>(f)); });
    impl_->faces.push_back(face);
  }
}

FontBook::~FontBook() { delete impl_; }

double FontBook::Width(cairo_t* cr, const TextSpec& spec, const std::string& text) const {
  double width = 0;
  impl_->Layout(cr, spec, text, &width);
  return width;
}

double FontBook::CapHeight(cairo_t* cr, const TextSpec& spec) const {
  cairo_scaled_font_t* font = impl_->Select(cr, spec);
  cairo_text_extents_t e;
  cairo_scaled_font_text_extents(font, "H", &e);
  return -e.y_bearing;
}

void FontBook::Draw(cairo_t* cr, const TextSpec& spec, const std::string& text, double x, double baseline,
                    Align align) const {
  impl_->Place(cr, spec, text, x, baseline, align, true);
}

void FontBook::Path(cairo_t* cr, const TextSpec& spec, const std::string& text, double x, double baseline,
                    Align align) const {
  impl_->Place(cr, spec, text, x, baseline, align, false);
}
