// BlitImage and FillArea: the documented edge cases, and random blits and
// fills checked pixel for pixel (row padding included) against the slow
// reference in blend_reference.cpp.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "blend_reference.h"
#include "graphics/bitmap/blend_mode.h"
#include "graphics/bitmap/blit.h"
#include "graphics/bitmap/fill.h"
#include "graphics/bitmap/mem_bitmap.h"
#include "graphics/bitmap/sys_bitmap.h"

namespace {

void Paint(Bitmap& bitmap, Pixel pixel) {
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.RowSpan(); ++x) bitmap.Row(y)[x] = pixel;
}

int MixedChannel(int src, int dst, int keep) { return src + (dst - src) * keep / 256; }

TEST(BlitImage, AlphaCopyAtFullWeightFollowsSourceAlpha) {
  MemBitmap dst(3, 1), src(3, 1);
  Paint(dst, MakePixel(255, 200, 100, 50));
  src.Row(0)[0] = MakePixel(0, 10, 20, 30);
  src.Row(0)[1] = MakePixel(255, 10, 20, 30);
  src.Row(0)[2] = MakePixel(128, 10, 20, 30);
  BlitImage(&dst, &src, 0, 0, nullptr, 1.0f, kBlendAlphaCopy);
  EXPECT_EQ(dst.Row(0)[0], MakePixel(255, 200, 100, 50));  // alpha 0: untouched
  EXPECT_EQ(dst.Row(0)[1], MakePixel(255, 10, 20, 30));    // alpha 255: overwritten
  EXPECT_EQ(dst.Row(0)[2], MakePixel(255, MixedChannel(10, 200, 127), MixedChannel(20, 100, 127),
                                     MixedChannel(30, 50, 127)));
}

TEST(BlitImage, AlphaCopyRaisesATranslucentDestinationsAlpha) {
  MemBitmap dst(1, 1), src(1, 1);
  dst.Row(0)[0] = MakePixel(100, 0, 0, 0);
  src.Row(0)[0] = MakePixel(128, 255, 255, 255);
  BlitImage(&dst, &src, 0, 0, nullptr, 1.0f, kBlendAlphaCopy);
  EXPECT_EQ(PixelA(dst.Row(0)[0]), 228);
  BlitImage(&dst, &src, 0, 0, nullptr, 1.0f, kBlendAlphaCopy);
  EXPECT_EQ(PixelA(dst.Row(0)[0]), 255);
}

TEST(BlitImage, WeightedCopyAndHalfAverage) {
  MemBitmap dst(2, 1), src(2, 1);
  Paint(dst, MakePixel(255, 255, 0, 101));
  Paint(src, MakePixel(1, 0, 255, 3));
  BlitImage(&dst, &src, 0, 0, nullptr, 0.25f, kBlendCopy);
  EXPECT_EQ(dst.Row(0)[0], MakePixel(MixedChannel(1, 255, 192), MixedChannel(0, 255, 192), MixedChannel(255, 0, 192),
                                     MixedChannel(3, 101, 192)));
  Paint(dst, MakePixel(255, 255, 0, 101));
  BlitImage(&dst, &src, 0, 0, nullptr, 0.5f, kBlendCopy);
  // Bitwise halves: 255/2 + 1/2 = 127 + 0 for alpha, 0 + 127 for green, 50 + 1 for blue.
  EXPECT_EQ(dst.Row(0)[1], MakePixel(127, 127, 127, 51));
}

TEST(BlitImage, NegativeDestinationOffsetDrawsTheRightPartOnly) {
  MemBitmap dst(4, 1), src(4, 1);
  Paint(dst, 0);
  for (int x = 0; x < 4; ++x) src.Row(0)[x] = MakePixel(255, x + 1, 0, 0);
  BlitImage(&dst, &src, -2, 0, nullptr, 1.0f, kBlendCopy);
  EXPECT_EQ(dst.Row(0)[0], MakePixel(255, 3, 0, 0));
  EXPECT_EQ(dst.Row(0)[1], MakePixel(255, 4, 0, 0));
  EXPECT_EQ(dst.Row(0)[2], 0u);
}

TEST(BlitImage, SourceRectAndClippingAtTheFarEdges) {
  MemBitmap dst(3, 3), src(4, 4);
  Paint(dst, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) src.Row(y)[x] = MakePixel(255, x, y, 0);
  Rect part{-1, 1, 9, 9};  // a negative left moves the drawing right instead
  BlitImage(&dst, &src, 1, 0, &part, 1.0f, kBlendCopy);
  EXPECT_EQ(dst.Row(0)[1], 0u);
  EXPECT_EQ(dst.Row(0)[2], MakePixel(255, 0, 1, 0));
  EXPECT_EQ(dst.Row(2)[2], MakePixel(255, 0, 3, 0));
}

TEST(BlitImage, NothingHappensWithoutSourceOrWeight) {
  MemBitmap dst(2, 2), src(2, 2);
  Paint(dst, 7);
  Paint(src, 9);
  BlitImage(&dst, nullptr, 0, 0, nullptr, 1.0f, kBlendCopy);
  BlitImage(&dst, &src, 0, 0, nullptr, 0.0f, kBlendCopy);
  BlitImage(&dst, &src, 0, 0, nullptr, 0.003f, kBlendAlphaCopy);  // weight truncates to 0
  BlitImage(&dst, &src, 2, 0, nullptr, 1.0f, kBlendCopy);         // starts outside
  EXPECT_EQ(dst.Row(1)[1], 7u);
}

TEST(FillArea, QuarterHalfAndThreeQuarterFillsAreBitwise) {
  MemBitmap dst(1, 1);
  const Pixel red = MakePixel(255, 255, 0, 0), under = MakePixel(255, 0, 0, 255);
  auto half = [](Pixel p) { return (p >> 1) & 0x7F7F7F7Fu; };
  auto quarter = [](Pixel p) { return (p >> 2) & 0x3F3F3F3Fu; };
  const std::pair<float, Pixel> cases[] = {{0.5f, half(red) + half(under)},
                                           {0.25f, quarter(red) + quarter(under) + half(under)},
                                           {0.75f, quarter(red) + quarter(under) + half(red)}};
  for (auto [weight, expected] : cases) {
    dst.Row(0)[0] = under;
    FillArea(&dst, 0, 0, 1, 1, red, weight, kBlendCopy);
    EXPECT_EQ(dst.Row(0)[0], expected) << weight;
  }
}

TEST(FillArea, TranslucentPanelKeepsPartOfEachChannel) {
  MemBitmap dst(1, 1);
  dst.Row(0)[0] = MakePixel(255, 200, 100, 50);
  FillArea(&dst, 0, 0, 1, 1, MakePixel(140, 0, 0, 0), 1.0f, kBlendAlphaCopy);
  EXPECT_EQ(dst.Row(0)[0], MakePixel(140 + (255 - 140) * 116 / 256, 200 * 116 / 256, 100 * 116 / 256, 50 * 116 / 256));
}

TEST(FillArea, ClipsNegativeOriginAndFarEdges) {
  MemBitmap dst(4, 4);
  Paint(dst, 0);
  FillArea(&dst, -2, -1, 3, 9, 5u, 1.0f, kBlendCopy);
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(dst.Row(y)[0], 5u);
    EXPECT_EQ(dst.Row(y)[1], 0u);
  }
  FillArea(&dst, 0, 0, 4, 4, MakePixel(0, 9, 9, 9), 1.0f, kBlendAlphaCopy);  // alpha 0 in alpha mode
  EXPECT_EQ(dst.Row(0)[3], 0u);
}

// Random sizes, positions, rects, weights and modes against the reference,
// on both bitmap kinds (their row spans differ).
std::unique_ptr<Bitmap> RandomBitmap(std::mt19937& random) {
  int w = 1 + random() % 24, h = 1 + random() % 24;
  std::unique_ptr<Bitmap> bitmap;
  if (random() % 2) bitmap = std::make_unique<MemBitmap>(w, h);
  else bitmap = std::make_unique<SysBitmap>(w, h);
  for (int y = 0; y < bitmap->Height(); ++y)
    for (int x = 0; x < bitmap->RowSpan(); ++x) {
      Pixel p = static_cast<Pixel>(random());
      int pick = random() % 4;  // alpha 0 and 255 are the interesting ones
      if (pick == 0) p &= 0x00FFFFFFu;
      if (pick == 1) p |= 0xFF000000u;
      bitmap->Row(y)[x] = p;
    }
  return bitmap;
}

float RandomWeight(std::mt19937& random) {
  const float fixed[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.0f, 0.999f, 1.5f, -0.5f};
  if (random() % 2) return fixed[random() % 8];
  return static_cast<float>(random() % 1000) / 999.0f;
}

int RandomMode(std::mt19937& random) {
  const int modes[] = {kBlendCopy, kBlendAlphaCopy, kBlendAlphaAdd, kBlendAlphaColourDodge, kBlendAdd,
                       kBlendColourDodge, 3, 0xF1};
  return modes[random() % 8];
}

void ExpectSame(Bitmap& bitmap, const Canvas& expected, int iteration) {
  Canvas actual = Canvas::Of(bitmap);
  ASSERT_EQ(actual.pixels.size(), expected.pixels.size());
  for (size_t i = 0; i < actual.pixels.size(); ++i)
    ASSERT_EQ(actual.pixels[i], expected.pixels[i]) << "iteration " << iteration << " pixel " << i;
}

TEST(BlitImage, MatchesTheReferenceOnRandomInput) {
  std::mt19937 random(1234);
  for (int i = 0; i < 3000; ++i) {
    auto dst = RandomBitmap(random);
    auto src = RandomBitmap(random);
    int x = static_cast<int>(random() % 60) - 30, y = static_cast<int>(random() % 60) - 30;
    Rect rect{static_cast<int>(random() % 40) - 10, static_cast<int>(random() % 40) - 10,
              static_cast<int>(random() % 40) - 5, static_cast<int>(random() % 40) - 5};
    const Rect* part = random() % 3 ? &rect : nullptr;
    float weight = RandomWeight(random);
    int mode = RandomMode(random);
    Canvas expected = Canvas::Of(*dst);
    ReferenceBlit(expected, Canvas::Of(*src), x, y, part, weight, mode);
    BlitImage(dst.get(), src.get(), x, y, part, weight, mode);
    ExpectSame(*dst, expected, i);
  }
}

TEST(BlitImage, OntoItselfReadsTheOriginalPixels) {
  std::mt19937 random(77);
  for (int i = 0; i < 300; ++i) {
    auto bitmap = RandomBitmap(random);
    int x = static_cast<int>(random() % 9) - 4, y = static_cast<int>(random() % 9) - 4;
    int mode = RandomMode(random);
    float weight = RandomWeight(random);
    Canvas expected = Canvas::Of(*bitmap);
    ReferenceBlit(expected, Canvas::Of(*bitmap), x, y, nullptr, weight, mode);
    BlitImage(bitmap.get(), bitmap.get(), x, y, nullptr, weight, mode);
    ExpectSame(*bitmap, expected, i);
  }
}

TEST(FillArea, MatchesTheReferenceOnRandomInput) {
  std::mt19937 random(4321);
  for (int i = 0; i < 3000; ++i) {
    auto dst = RandomBitmap(random);
    int x = static_cast<int>(random() % 60) - 30, y = static_cast<int>(random() % 60) - 30;
    int w = static_cast<int>(random() % 50) - 5, h = static_cast<int>(random() % 50) - 5;
    Pixel pixel = static_cast<Pixel>(random());
    if (random() % 3 == 0) pixel |= 0xFF000000u;
    float weight = RandomWeight(random);
    int mode = RandomMode(random);
    Canvas expected = Canvas::Of(*dst);
    ReferenceFill(expected, x, y, w, h, pixel, weight, mode);
    FillArea(dst.get(), x, y, w, h, pixel, weight, mode);
    ExpectSame(*dst, expected, i);
  }
}

}  // namespace
