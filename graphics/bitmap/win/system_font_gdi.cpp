// System fonts on Windows: GDI fonts, measured and drawn with DrawTextW into
// the glyph surface's memory DC.
#include <windows.h>

#include "graphics/bitmap/system_font.h"

namespace {

HDC SurfaceDc(SysBitmap& surface) { return static_cast<HDC>(surface.DeviceContext()); }

DWORD GdiQuality(FontQuality quality) {
  switch (quality) {
    case FontQuality::NonAntialiased: return NONANTIALIASED_QUALITY;
    case FontQuality::Antialiased: return ANTIALIASED_QUALITY;
    case FontQuality::ClearType: return CLEARTYPE_QUALITY;
    default: return DEFAULT_QUALITY;
  }
}

constexpr UINT kSingleCharacterFormat = DT_SINGLELINE | DT_NOPREFIX;

}  // namespace

SystemFontHandle CreateSystemFont(const SystemFontRequest& request) {
  return CreateFontA(request.height, 0, request.escapement, request.orientation, request.weight, request.italic, FALSE,
                     FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, GdiQuality(request.quality),
                     DEFAULT_PITCH, request.face);
}

void DeleteSystemFont(SystemFontHandle font) {
  if (font) DeleteObject(static_cast<HFONT>(font));
}

void PrepareGlyphSurface(SysBitmap& surface) {
  HDC dc = SurfaceDc(surface);
  if (!dc) return;
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(0, 0, 0));
}

int SystemFontLineHeight(SysBitmap& surface, SystemFontHandle font) {
  HDC dc = SurfaceDc(surface);
  if (!dc || !font) return 0;
  HGDIOBJ previous = SelectObject(dc, static_cast<HFONT>(font));
  TEXTMETRICA metrics = {};
  BOOL ok = GetTextMetricsA(dc, &metrics);
  SelectObject(dc, previous);
  return ok ? metrics.tmHeight : 0;
}

void MeasureSystemCharacter(SysBitmap& surface, SystemFontHandle font, uint16_t codePoint, int* width, int* height) {
  *width = 0;
  *height = 0;
  HDC dc = SurfaceDc(surface);
  if (!dc || !font) return;
  HGDIOBJ previous = SelectObject(dc, static_cast<HFONT>(font));
  wchar_t character = static_cast<wchar_t>(codePoint);
  RECT rect = {0, 0, 0, 0};
  if (DrawTextW(dc, &character, 1, &rect, kSingleCharacterFormat | DT_CALCRECT)) {
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
  }
  SelectObject(dc, previous);
}

void DrawSystemCharacter(SysBitmap& surface, SystemFontHandle font, uint16_t codePoint, const Rect& cell) {
  HDC dc = SurfaceDc(surface);
  if (!dc || !font) return;
  HGDIOBJ previous = SelectObject(dc, static_cast<HFONT>(font));
  wchar_t character = static_cast<wchar_t>(codePoint);
  RECT rect = {cell.L, cell.T, cell.R, cell.B};
  DrawTextW(dc, &character, 1, &rect, kSingleCharacterFormat);
  SelectObject(dc, previous);
  GdiFlush();  // GDI batches drawing; the caller reads the pixels next
}
