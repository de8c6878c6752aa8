#pragma once
// A small plug-in on the in-process adapter and synthetic image strips for the
// editor tests: every frame of a strip is one flat, distinct colour, so the
// frame a control drew can be read back from a single pixel.

#include <memory>

#include "adapters/offline/offline_adapter.h"
#include "graphics/bitmap/mem_bitmap.h"
#include "graphics/image_strip.h"
#include "graphics/offscreen/offscreen_editor.h"

class TestPlugin : public OfflineAdapter {
 public:
  static PluginConfig Config(int params) {
    PluginConfig c;
    c.paramCount = params;
    c.effectName = "EditorTest";
    return c;
  }
  explicit TestPlugin(int params = 4, int32_t hostKind = kHostInterfaceVst2)
      : OfflineAdapter(Config(params), HostArgs{}), hostKind_(hostKind) {
    for (int i = 0; i < params; ++i) Param(i)->InitContinuous("P", 0.25, 0.0, 1.0, 0.00001, "", 1.0);
  }
  int HostInterfaceKind() const override { return hostKind_; }
  void ShowHostParamMenu(int index, int x, int y) override {
    hostMenus.push_back({index, x, y});
  }
  struct HostMenu {
    int index, x, y;
  };
  std::vector<HostMenu> hostMenus;

 private:
  int32_t hostKind_;
};

// The colour of frame k (1-based) of a synthetic strip.
inline Pixel FrameColour(int frame) { return MakePixel(255, (frame * 37) & 255, (frame * 11) & 255, 200); }

// A strip image of frames stacked vertically, each width x height, flat colours.
inline std::unique_ptr<MemBitmap> MakeStripImage(int width, int height, int frames) {
  auto image = std::make_unique<MemBitmap>(width, height * frames);
  for (int y = 0; y < height * frames; ++y)
    for (int x = 0; x < width; ++x) image->Row(y)[x] = FrameColour(y / height + 1);
  return image;
}

inline ImageStrip StripOf(MemBitmap& image, int frames) { return MakeImageStrip(&image, frames); }
