// System fonts without GDI: FreeType faces found through fontconfig from the
// face name ("Arial" resolves to a metric-compatible face such as Liberation
// Sans). Sizes follow GDI: a positive height is the cell height (the face's
// Windows ascent plus descent), a negative one the em height. Rotation is not
// supported; the editor draws all text upright.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <mutex>
#include <string>

#include "graphics/bitmap/system_font.h"

namespace {

struct FreeTypeFont {
  FT_Face face = nullptr;
  int ascent = 0;
  int lineHeight = 0;
  bool monochrome = false;
};

// One FreeType library for all fonts, made with the first and freed with the
// last (FreeType faces are not shared between threads, fonts are).
std::mutex libraryLock;
FT_Library library = nullptr;
int libraryUsers = 0;

bool FindFontFile(const SystemFontRequest& request, std::string& file, int& index) {
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(request.face ? request.face : ""));
  FcPatternAddInteger(pattern, FC_WEIGHT, request.weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  FcChar8* path = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path;
  if (found) file = reinterpret_cast<const char*>(path);
  if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
  FcPatternDestroy(match);
  return found;
}

FreeTypeFont* AsFont(SystemFontHandle handle) { return static_cast<FreeTypeFont*>(handle); }

FT_Int32 LoadFlags(const FreeTypeFont& font) { return font.monochrome ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL; }

void ReleaseLibraryUse() {
  if (--libraryUsers == 0) {
    FT_Done_FreeType(library);
    library = nullptr;
  }
}

}  // namespace

SystemFontHandle CreateSystemFont(const SystemFontRequest& request) {
  if (request.height == 0) return nullptr;
  std::string file;
  int index = 0;
  if (!FindFontFile(request, file, index)) return nullptr;

  std::lock_guard<std::mutex> hold(libraryLock);
  if (libraryUsers == 0 && FT_Init_FreeType(&library) != 0) return nullptr;
  ++libraryUsers;
  auto* font = new FreeTypeFont;
  if (FT_New_Face(library, file.c_str(), index, &font->face) != 0 || !FT_IS_SCALABLE(font->face)) {
    if (font->face) FT_Done_Face(font->face);
    delete font;
    ReleaseLibraryUse();
    return nullptr;
  }
  FT_Face face = font->face;
  double unitsAscent = face->ascender, unitsDescent = -face->descender;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->usWinAscent) {
    unitsAscent = os2->usWinAscent;
    unitsDescent = os2->usWinDescent;
  }
  double em = request.height > 0 ? request.height * face->units_per_EM / (unitsAscent + unitsDescent)
                                  : -static_cast<double>(request.height);
  FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(em * 64.0)), 72, 72);
  font->ascent = static_cast<int>(std::lround(unitsAscent * em / face->units_per_EM));
  font->lineHeight = request.height > 0 ? request.height
                                        : font->ascent + static_cast<int>(std::lround(unitsDescent * em / face->units_per_EM));
  font->monochrome = request.quality == FontQuality::NonAntialiased;
  return font;
}

void DeleteSystemFont(SystemFontHandle handle) {
  FreeTypeFont* font = AsFont(handle);
  if (!font) return;
  std::lock_guard<std::mutex> hold(libraryLock);
  FT_Done_Face(font->face);
  delete font;
  ReleaseLibraryUse();
}

void PrepareGlyphSurface(SysBitmap&) {}  // the glyph drawing below always draws white on the cell

int SystemFontLineHeight(SysBitmap&, SystemFontHandle handle) { return handle ? AsFont(handle)->lineHeight : 0; }

void MeasureSystemCharacter(SysBitmap&, SystemFontHandle handle, uint16_t codePoint, int* width, int* height) {
  FreeTypeFont* font = AsFont(handle);
  *width = 0;
  *height = 0;
  if (!font || FT_Load_Char(font->face, codePoint, LoadFlags(*font)) != 0) return;
  *width = static_cast<int>((font->face->glyph->advance.x + 32) >> 6);
  *height = font->lineHeight;
}

void DrawSystemCharacter(SysBitmap& surface, SystemFontHandle handle, uint16_t codePoint, const Rect& cell) {
  FreeTypeFont* font = AsFont(handle);
  if (!font || !surface.Bits()) return;
  FT_Render_Mode mode = font->monochrome ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
  if (FT_Load_Char(font->face, codePoint, LoadFlags(*font) | FT_LOAD_RENDER) != 0) return;
  FT_GlyphSlot slot = font->face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, mode) != 0) return;
  const FT_Bitmap& glyph = slot->bitmap;
  Rect clip{std::max(cell.L, 0), std::max(cell.T, 0), std::min(cell.R, surface.Width()), std::min(cell.B, surface.Height())};
  int left = cell.L + slot->bitmap_left;
  int top = cell.T + font->ascent - slot->bitmap_top;
  for (unsigned row = 0; row < glyph.rows; ++row) {
    int y = top + static_cast<int>(row);
    if (y < clip.T || y >= clip.B) continue;
    const unsigned char* source = glyph.buffer + static_cast<long>(row) * glyph.pitch;
    Pixel* target = surface.Row(y);
    for (unsigned column = 0; column < glyph.width; ++column) {
      int x = left + static_cast<int>(column);
      if (x < clip.L || x >= clip.R) continue;
      int coverage = glyph.pixel_mode == FT_PIXEL_MODE_MONO ? ((source[column >> 3] >> (7 - (column & 7))) & 1) * 255
                                                             : source[column];
      int value = std::max(coverage, PixelR(target[x]));
      target[x] = MakePixel(255, value, value, value);
    }
  }
}
