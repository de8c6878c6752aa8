// How EditorX11 puts its surface on the screen: a shared-memory image the
// window's size where the server offers MIT-SHM (Xvfb does), plain image
// uploads when the environment says so; either way the window shows exactly
// the surface, before and after a resize.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "editor_in_host.h"
#include "graphics/x11/x11_shm_image.h"

namespace {

// Draws stripes into the surface, presents all of it, and compares the window
// with the surface pixel for pixel.
void ExpectTheWindowToShowTheSurface(EditorInHost& h, int width, int height) {
  for (int stripe = 0; stripe < 8; ++stripe) {
    const Colour colour{255, static_cast<uint8_t>(30 * stripe), static_cast<uint8_t>(255 - 30 * stripe), 77};
    h.editor->PaintRect(colour, Rect{stripe * width / 8, 0, (stripe + 1) * width / 8, height}, nullptr);
  }
  ASSERT_TRUE(h.editor->PresentArea(Rect{0, 0, width, height}));
  const Window window = h.host.Children().front();
  const std::vector<uint32_t> shown = xdesk::Capture(h.host.Connection(), window, width, height);
  ASSERT_EQ(shown.size(), static_cast<size_t>(width) * height);
  int differing = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if ((h.editor->Surface()->Row(y)[x] & 0xFFFFFFu) != shown[static_cast<size_t>(y) * width + x]) ++differing;
  EXPECT_EQ(differing, 0);
}

TEST(EditorX11Presenting, ThroughSharedMemorySizedToTheWindowAcrossAResize) {
  unsetenv(X11ShmImage::kDisableVariable);
  EditorInHost h;
  ASSERT_NE(h.window, nullptr);
  EXPECT_TRUE(h.editor->PresentsThroughSharedMemory());
  EXPECT_EQ(xdesk::SharedMemorySegmentsOfThisProcess(), 1);
  ExpectTheWindowToShowTheSurface(h, kWidth, kHeight);

  // A larger window gets a larger segment; the smaller one goes.
  h.editor->ResizeEditor(kWidth + 120, kHeight + 60);
  xdesk::PumpFor(h.step, 100);
  EXPECT_TRUE(h.editor->PresentsThroughSharedMemory());
  EXPECT_EQ(xdesk::SharedMemorySegmentsOfThisProcess(), 1);
  ExpectTheWindowToShowTheSurface(h, kWidth + 120, kHeight + 60);

  h.editor->CloseWindow();
  EXPECT_EQ(xdesk::SharedMemorySegmentsOfThisProcess(), 0);
}

TEST(EditorX11Presenting, ThroughPlainImagesWhenTheEnvironmentSaysSo) {
  setenv(X11ShmImage::kDisableVariable, "1", 1);
  EditorInHost h;
  unsetenv(X11ShmImage::kDisableVariable);  // read when the window opened
  ASSERT_NE(h.window, nullptr);
  EXPECT_FALSE(h.editor->PresentsThroughSharedMemory());
  EXPECT_EQ(xdesk::SharedMemorySegmentsOfThisProcess(), 0);
  ExpectTheWindowToShowTheSurface(h, kWidth, kHeight);
  h.editor->ResizeEditor(kWidth + 120, kHeight + 60);
  xdesk::PumpFor(h.step, 100);
  EXPECT_FALSE(h.editor->PresentsThroughSharedMemory());
  ExpectTheWindowToShowTheSurface(h, kWidth + 120, kHeight + 60);
}

}  // namespace
