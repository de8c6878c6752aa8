// The GDI text renderer, and the Wine check that keeps it off under Wine.
#include <windows.h>

#include <vector>

#include "graphics/bitmap/system_text_renderer.h"
#include "graphics/bitmap/utf8_text.h"

namespace {

constexpr int kStackUnits = 1000;
int wineOverride = -1;

bool CheckRegistryForWine() {
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Wine", &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

COLORREF AsColorRef(Pixel pixel) { return RGB(PixelR(pixel), PixelG(pixel), PixelB(pixel)); }

}  // namespace

bool HasSystemTextRenderer() { return true; }

bool RunningUnderWine() {
  static const bool underWine = CheckRegistryForWine();
  return wineOverride >= 0 ? wineOverride != 0 : underWine;
}

void OverrideWineCheckForTesting(int answer) { wineOverride = answer; }

int DrawTextWithSystem(DeviceContextHandle dcHandle, const SystemTextStyle& style, const char* text, int length,
                       Rect* rect, int format) {
  HDC dc = static_cast<HDC>(dcHandle);
  if (!dc || !rect) return 0;
  HGDIOBJ previous = SelectObject(dc, static_cast<HFONT>(style.font));
  SetTextColor(dc, AsColorRef(style.textColour));
  SetBkMode(dc, style.backMode);
  if (style.backMode == OPAQUE) SetBkColor(dc, AsColorRef(style.backColour));
  RECT area = {rect->L, rect->T, rect->R, rect->B};
  int result = 0;
  if (HasMultiByteUtf8(text, length)) {
    wchar_t onStack[kStackUnits];
    std::vector<wchar_t> onHeap;
    wchar_t* wide = onStack;
    int units = MultiByteToWideChar(CP_UTF8, 0, text, length, nullptr, 0);
    if (units > kStackUnits) {
      onHeap.resize(units);
      wide = onHeap.data();
    }
    units = MultiByteToWideChar(CP_UTF8, 0, text, length, wide, units);
    result = DrawTextW(dc, wide, units, &area, static_cast<UINT>(format));
  } else {
    result = DrawTextA(dc, text, length, &area, static_cast<UINT>(format));
  }
  SelectObject(dc, previous);
  GdiFlush();
  if (format & DT_CALCRECT) *rect = Rect{area.left, area.top, area.right, area.bottom};
  return result;
}
