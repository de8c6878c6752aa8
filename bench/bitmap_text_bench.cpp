// Drawing a 30-character string through the glyph cache (glyphs already
// rendered, as they are after the editor's first frame).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "graphics/bitmap/cached_font.h"
#include "graphics/bitmap/sys_bitmap.h"

namespace {

void BM_DrawString30Characters(benchmark::State& state) {
  SystemFontRequest request;
  request.face = "Arial";
  request.height = 20;
  request.weight = 700;
  auto font = std::make_unique<CachedFont>();
  font->SetFromSystemFont(CreateSystemFont(request), kFontOwnsSystemFont);  // glyph renderer only
  font->SetTextColour(MakePixel(255, 100, 100, 100));
  SysBitmap surface(1000, 530);
  const char* text = "Cathedral Hall Reverb \xC3\xA9 12.5";  // 30 characters
  Rect rect{300, 0, 700, 25};
  font->DrawString(&surface, text, -1, &rect, kTextCentre | kTextNoClip);  // fills the cache
  for (auto _ : state) {
    Rect r = rect;
    benchmark::DoNotOptimize(font->DrawString(&surface, text, -1, &r, kTextCentre | kTextNoClip));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 30);
}

BENCHMARK(BM_DrawString30Characters)->Unit(benchmark::kMicrosecond);

}  // namespace
