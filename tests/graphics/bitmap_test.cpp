// MemBitmap and SysBitmap: layout, growth and reuse of their pixel memory.
#include <gtest/gtest.h>

#include <cstdint>

#include "graphics/bitmap/mem_bitmap.h"
#include "graphics/bitmap/sys_bitmap.h"

namespace {

TEST(MemBitmap, RowsArePaddedAndPixelsAligned) {
  MemBitmap bitmap(5, 3);
  ASSERT_NE(bitmap.Bits(), nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(bitmap.Bits()) % 64, 0u);
  EXPECT_EQ(bitmap.Width(), 5);
  EXPECT_EQ(bitmap.Height(), 3);
  EXPECT_EQ(bitmap.RowSpan(), 8);
  EXPECT_EQ(bitmap.DeviceContext(), nullptr);
  EXPECT_FALSE(bitmap.IsFlipped());
}

TEST(MemBitmap, GrowsWithAReserveAndNeverShrinksItsMemory) {
  MemBitmap bitmap(4, 4);
  EXPECT_EQ(bitmap.AllocatedBytes(), 4u * 4 * 4);
  EXPECT_FALSE(bitmap.Resize(4, 4));
  EXPECT_TRUE(bitmap.Resize(8, 8));
  EXPECT_EQ(bitmap.AllocatedBytes(), 8u * 8 * 4 * 5 / 4);
  EXPECT_TRUE(bitmap.Resize(8, 10));  // fits the reserve: no new allocation
  EXPECT_EQ(bitmap.AllocatedBytes(), 8u * 8 * 4 * 5 / 4);
  EXPECT_TRUE(bitmap.Resize(2, 2));
  EXPECT_EQ(bitmap.AllocatedBytes(), 8u * 8 * 4 * 5 / 4);
  EXPECT_EQ(bitmap.RowSpan(), 4);
}

TEST(MemBitmap, EmptyAndImpossibleSizesHaveNoPixels) {
  MemBitmap empty(0, 10);
  EXPECT_EQ(empty.Bits(), nullptr);
  EXPECT_EQ(empty.Width(), 0);
  MemBitmap bitmap(4, 4);
  EXPECT_TRUE(bitmap.Resize(0, 0));
  EXPECT_EQ(bitmap.Bits(), nullptr);
  EXPECT_TRUE(bitmap.Resize(1 << 20, 1 << 20));  // far beyond what a bitmap may take
  EXPECT_EQ(bitmap.Bits(), nullptr);
  EXPECT_EQ(bitmap.Width(), 0);
  EXPECT_EQ(bitmap.Height(), 0);
}

TEST(SysBitmap, ShrinkingKeepsTheAllocationAndThePixels) {
  SysBitmap bitmap(100, 100);
  ASSERT_NE(bitmap.Bits(), nullptr);
  Pixel* before = bitmap.Bits();
  bitmap.Row(49)[49] = 0x12345678u;
  EXPECT_TRUE(bitmap.Resize(50, 50));
  EXPECT_EQ(bitmap.Bits(), before);
  EXPECT_EQ(bitmap.RowSpan(), 100);
  EXPECT_EQ(bitmap.Width(), 50);
  EXPECT_EQ(bitmap.Row(49)[49], 0x12345678u);
  EXPECT_TRUE(bitmap.Resize(100, 100));
  EXPECT_EQ(bitmap.Bits(), before);
}

TEST(SysBitmap, GrowingReallocatesWithASpanOfFour) {
  SysBitmap bitmap(10, 10);
  EXPECT_EQ(bitmap.RowSpan(), 12);
  EXPECT_FALSE(bitmap.Resize(10, 10));
  EXPECT_TRUE(bitmap.Resize(101, 20));
  ASSERT_NE(bitmap.Bits(), nullptr);
  EXPECT_EQ(bitmap.RowSpan(), 104);
  bitmap.Row(19)[100] = 1;  // the last pixel is writable
  EXPECT_FALSE(bitmap.Resize(0, 0));
  EXPECT_EQ(bitmap.Bits(), nullptr);
  EXPECT_EQ(bitmap.Width(), 0);
}

TEST(SysBitmap, HasADeviceContextExactlyOnWindows) {
  SysBitmap bitmap(8, 8);
#ifdef _WIN32
  EXPECT_NE(bitmap.DeviceContext(), nullptr);
#else
  EXPECT_EQ(bitmap.DeviceContext(), nullptr);
#endif
}

}  // namespace
