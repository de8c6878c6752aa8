// Editor speed: what a window's paint and timer cost, and what an instance
// with its editor costs to create.
#include <benchmark/benchmark.h>

#include <memory>

#include "effect/moravelle.h"
#include "graphics/offscreen/offscreen_editor.h"

namespace {

OffscreenEditor& EditorOf(Moravelle& effect) { return *dynamic_cast<OffscreenEditor*>(effect.Editor()); }

// The whole 1000 x 530 editor, back to front, presented into the window.
void BM_EditorFullRedraw(benchmark::State& state) {
  Moravelle effect(OfflineAdapter::HostArgs{});
  OffscreenEditor& editor = EditorOf(effect);
  editor.OpenWindow(nullptr);
  const Rect everything{0, 0, editor.Width(), editor.Height()};
  for (auto _ : state) {
    editor.Redraw(everything);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_EditorFullRedraw)->Unit(benchmark::kMillisecond);

// A host change of one knob, then the timer tick that redraws and presents it.
void BM_EditorOneDirtyKnob(benchmark::State& state) {
  Moravelle effect(OfflineAdapter::HostArgs{});
  OffscreenEditor& editor = EditorOf(effect);
  editor.OpenWindow(nullptr);
  editor.Redraw(Rect{0, 0, editor.Width(), editor.Height()});
  while (editor.OnTimerTick()) {
  }
  double value = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    value = value > 0.9 ? 0.0 : value + 0.05;
    effect.SetParameterFromHost(kReverbRoomSize, value);
    // The host's value keeps the knob dirty for one extra pass; settle that first
    // so each timed tick draws one knob, once.
    editor.OnTimerTick();
    effect.SetParameterFromHost(kReverbRoomSize, value + 0.01);
    state.ResumeTiming();
    editor.OnTimerTick();
  }
}
BENCHMARK(BM_EditorOneDirtyKnob)->Unit(benchmark::kMicrosecond);

// Creating an instance with its whole editor; the images are decoded by the
// first instance of the process only (made before timing starts).
void BM_InstanceWithEditor(benchmark::State& state) {
  auto first = std::make_unique<Moravelle>(OfflineAdapter::HostArgs{});
  for (auto _ : state) {
    auto effect = std::make_unique<Moravelle>(OfflineAdapter::HostArgs{});
    benchmark::DoNotOptimize(effect.get());
  }
}
BENCHMARK(BM_InstanceWithEditor)->Unit(benchmark::kMillisecond);

// What the first instance of a process adds: decoding all 19 images from the
// module's resources (later instances find them in the cache).
void BM_DecodeAllEditorImages(benchmark::State& state) {
  Moravelle effect(OfflineAdapter::HostArgs{});
  OffscreenEditor& editor = EditorOf(effect);
  for (auto _ : state) {
    for (int id = 101; id <= 119; ++id) {
      std::unique_ptr<Bitmap> image(editor.LoadImageResource(id, "image.png"));
      benchmark::DoNotOptimize(image.get());
    }
  }
}
BENCHMARK(BM_DecodeAllEditorImages)->Unit(benchmark::kMillisecond);

}  // namespace
