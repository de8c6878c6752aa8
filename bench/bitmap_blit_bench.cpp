// Blit and fill speed on an editor-sized surface (1000 × 530).
#include <benchmark/benchmark.h>

#include <random>

#include "graphics/bitmap/blend_mode.h"
#include "graphics/bitmap/blit.h"
#include "graphics/bitmap/fill.h"
#include "graphics/bitmap/mem_bitmap.h"
#include "graphics/bitmap/sys_bitmap.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 530;

// An image like the editor's: a quarter transparent, a quarter opaque, the
// rest translucent.
void FillLikeAnImage(Bitmap& bitmap) {
  std::mt19937 random(1);
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) {
      Pixel p = static_cast<Pixel>(random());
      int kind = (x / 50 + y / 50) % 4;
      if (kind == 0) p &= 0x00FFFFFFu;
      if (kind == 1) p |= 0xFF000000u;
      bitmap.Row(y)[x] = p;
    }
}

void BlitFullSurface(benchmark::State& state, int mode, float weight) {
  SysBitmap surface(kWidth, kHeight);
  MemBitmap image(kWidth, kHeight);
  FillLikeAnImage(surface);
  FillLikeAnImage(image);
  for (auto _ : state) {
    BlitImage(&surface, &image, 0, 0, nullptr, weight, mode);
    benchmark::DoNotOptimize(surface.Bits());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

void BM_BlitAlphaCopyFullSurface(benchmark::State& state) { BlitFullSurface(state, kBlendAlphaCopy, 1.0f); }
void BM_BlitAlphaCopyHalfWeight(benchmark::State& state) { BlitFullSurface(state, kBlendAlphaCopy, 0.5f); }
void BM_BlitCopyFullSurface(benchmark::State& state) { BlitFullSurface(state, kBlendCopy, 1.0f); }

void BM_FillTranslucentPanel(benchmark::State& state) {
  SysBitmap surface(kWidth, kHeight);
  FillLikeAnImage(surface);
  for (auto _ : state) {
    FillArea(&surface, 0, 0, kWidth, kHeight, MakePixel(140, 0, 0, 0), 1.0f, kBlendAlphaCopy);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

BENCHMARK(BM_BlitAlphaCopyFullSurface)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BlitAlphaCopyHalfWeight)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BlitCopyFullSurface)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FillTranslucentPanel)->Unit(benchmark::kMicrosecond);

}  // namespace
