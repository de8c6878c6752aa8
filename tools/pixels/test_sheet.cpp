#include "test_sheet.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "graphics/bitmap/blend_mode.h"
#include "graphics/bitmap/blit.h"
#include "graphics/bitmap/cached_font.h"
#include "graphics/bitmap/fill.h"
#include "graphics/bitmap/mem_bitmap.h"

namespace {

constexpr int kTile = 90;

// A soft disc whose alpha falls from 255 in the middle to 0 at the rim, in a
// colour wheel, with a hard opaque bar through it: every alpha value occurs.
std::unique_ptr<MemBitmap> MakeSprite() {
  auto sprite = std::make_unique<MemBitmap>(kTile - 10, kTile - 10);
  int n = sprite->Width();
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) {
      double dx = x - n / 2.0 + 0.5, dy = y - n / 2.0 + 0.5;
      double r = std::sqrt(dx * dx + dy * dy) / (n / 2.0);
      int alpha = r >= 1.0 ? 0 : static_cast<int>(255 * (1.0 - r * r));
      double angle = std::atan2(dy, dx);
      int red = static_cast<int>(127.5 + 127.5 * std::cos(angle));
      int green = static_cast<int>(127.5 + 127.5 * std::cos(angle - 2.094));
      int blue = static_cast<int>(127.5 + 127.5 * std::cos(angle + 2.094));
      if (y >= n / 2 - 4 && y < n / 2 + 4) alpha = 255, red = green = blue = 240;
      sprite->Row(y)[x] = MakePixel(alpha, red, green, blue);
    }
  return sprite;
}

void DrawBackground(Bitmap& sheet) {
  for (int y = 0; y < sheet.Height(); ++y)
    for (int x = 0; x < sheet.Width(); ++x) {
      bool check = ((x / 10) + (y / 10)) % 2;
      int shade = 40 + y * 60 / sheet.Height() + (check ? 20 : 0);
      sheet.Row(y)[x] = MakePixel(255, shade, shade + x * 40 / sheet.Width(), shade + 30);
    }
}

std::unique_ptr<CachedFont> MakeFont(const char* face, int size, bool bold, FontQuality quality = FontQuality::Default) {
  SystemFontRequest request;
  request.face = face;
  request.height = size;
  request.weight = bold ? 700 : 400;
  request.quality = quality;
  SystemFontHandle system = CreateSystemFont(request);
  if (!system) return nullptr;
  auto font = std::make_unique<CachedFont>();
  font->SetFromSystemFont(system, kFontOwnsSystemFont | kFontPreferSystemRenderer);
  return font;
}

// Text as the editor draws it: no clipping, centred unless told, and weighted
// by the colour's alpha when that is not opaque.
void Label(Bitmap& sheet, CachedFont* font, const char* text, Rect rect, Pixel colour, int align = kTextCentre) {
  if (!font) return;
  font->SetTextColour(colour);
  int format = kTextNoClip | align | (PixelA(colour) != 255 ? kTextUseColourAlpha : 0);
  font->DrawString(&sheet, text, -1, &rect, format);
}

}  // namespace

std::unique_ptr<SysBitmap> RenderTestSheet(bool withText) {
  auto sheet = std::make_unique<SysBitmap>(kSheetWidth, kSheetHeight);
  if (!sheet->Bits()) return nullptr;
  DrawBackground(*sheet);
  auto sprite = MakeSprite();
  auto small = withText ? MakeFont("Verdana", 12, false) : nullptr;
  auto title = withText ? MakeFont("Arial", 20, true) : nullptr;
  const Pixel grey = MakePixel(255, 100, 100, 100), white = MakePixel(255, 255, 255, 255);

  // Row 1: every blit mode at full and partial weight.
  struct Blit {
    const char* name;
    int mode;
    float weight;
  } blits[] = {{"copy 1.0", kBlendCopy, 1.0f},        {"copy 0.5", kBlendCopy, 0.5f},
               {"copy 0.3", kBlendCopy, 0.3f},        {"alpha 1.0", kBlendAlphaCopy, 1.0f},
               {"alpha 0.5", kBlendAlphaCopy, 0.5f},  {"a-add 1.0", kBlendAlphaAdd, 1.0f},
               {"a-add 0.4", kBlendAlphaAdd, 0.4f},   {"a-dodge 1", kBlendAlphaColourDodge, 1.0f},
               {"add 0.5", kBlendAdd, 0.5f},          {"dodge 0.7", kBlendColourDodge, 0.7f}};
  for (int i = 0; i < 10; ++i) {
    int x = 10 + i * (kTile + 8), y = 30;
    BlitImage(sheet.get(), sprite.get(), x + 5, y + 5, nullptr, blits[i].weight, blits[i].mode);
    Label(*sheet, small.get(), blits[i].name, Rect{x, y + kTile, x + kTile, y + kTile + 16}, white);
  }
  Label(*sheet, title.get(), "Blits", Rect{10, 4, 300, 28}, white, 0);

  // Row 2: clipped blits (source rect, negative offsets, far edges) and fills.
  Rect quarter{20, 20, 60, 60};
  BlitImage(sheet.get(), sprite.get(), 10, 160, &quarter, 1.0f, kBlendAlphaCopy);
  BlitImage(sheet.get(), sprite.get(), -40, 250, nullptr, 1.0f, kBlendAlphaCopy);
  BlitImage(sheet.get(), sprite.get(), kSheetWidth - 40, 160, nullptr, 1.0f, kBlendAlphaCopy);
  const Pixel red = MakePixel(255, 230, 30, 30);
  struct Fill {
    const char* name;
    Pixel pixel;
    float weight;
    int mode;
  } fills[] = {{"fill 25%", red, 0.25f, kBlendCopy},
               {"fill 50%", red, 0.5f, kBlendCopy},
               {"fill 75%", red, 0.75f, kBlendCopy},
               {"fill 100%", red, 1.0f, kBlendCopy},
               {"fill 0.3", red, 0.3f, kBlendCopy},
               {"panel A140", MakePixel(140, 0, 0, 0), 1.0f, kBlendAlphaCopy},
               {"add 0.5", MakePixel(255, 60, 120, 200), 0.5f, kBlendAdd},
               {"dodge 0.6", MakePixel(255, 200, 200, 200), 0.6f, kBlendColourDodge}};
  for (int i = 0; i < 8; ++i) {
    int x = 110 + i * 100, y = 160;
    FillArea(sheet.get(), x, y, 90, 70, fills[i].pixel, fills[i].weight, fills[i].mode);
    Label(*sheet, small.get(), fills[i].name, Rect{x, y + 72, x + 90, y + 88}, white);
  }
  Label(*sheet, title.get(), "Fills and clipping", Rect{110, 134, 500, 158}, white, 0);

  // Row 3: text in the editor's styles.
  int y = 300;
  FillArea(sheet.get(), 300, y, 400, 25, MakePixel(140, 0, 0, 0), 1.0f, kBlendAlphaCopy);
  Label(*sheet, title.get(), "Cathedral Hall \xE2\x80\x94 Init", Rect{300, y, 700, y + 25}, grey);
  Label(*sheet, small.get(), "Verdana 12: ROOM SIZE  PRE-DELAY  DAMPING  WIDTH 0123456789 %", Rect{20, y + 40, 980, y + 56},
        MakePixel(255, 0, 0, 0));
  Label(*sheet, small.get(), "left aligned", Rect{20, y + 60, 300, y + 76}, white, 0);
  Label(*sheet, small.get(), "right aligned", Rect{680, y + 60, 980, y + 76}, white, kTextRight);
  Label(*sheet, title.get(), "Translucent text (alpha 128)", Rect{20, y + 85, 980, y + 110}, MakePixel(128, 255, 255, 0));
  Label(*sheet, small.get(), "UTF-8: caf\xC3\xA9 \xC3\xBC\xC3\xB1\xC3\xAF\xC3\xA7\xC3\xB8\x64\xC3\xA9  four-byte [\xF0\x9F\x98\x80]  Latin-1 byte [\xE9]",
        Rect{20, y + 120, 980, y + 136}, white);
  auto plain = withText ? MakeFont("Arial", 16, false, FontQuality::NonAntialiased) : nullptr;
  Label(*sheet, plain.get(), "Arial 16 without antialiasing\nsecond line", Rect{20, y + 145, 980, y + 185}, white);
  auto large = withText ? MakeFont("Arial", 40, true, FontQuality::Antialiased) : nullptr;
  Label(*sheet, large.get(), "MORAVELLE", Rect{0, y + 185, kSheetWidth, y + 230}, MakePixel(255, 240, 200, 120));
  return sheet;
}
