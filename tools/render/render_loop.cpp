#include "render_loop.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

template <typename T>
struct PlanarBlock {
  explicit PlanarBlock(int frames) {
    for (size_t c = 0; c < data.size(); ++c) {
      data[c].assign(static_cast<size_t>(frames), T());
      pointers[c] = data[c].data();
    }
  }
  std::array<std::vector<T>, RenderTarget::kChannels> data;
  std::array<T*, RenderTarget::kChannels> pointers{};
};

// Fills the block from the source until it is full or the source ends, then with
// silence from the tail budget. Returns the frames filled; 0 means all is done.
Status FillBlock(AudioSource& source, bool* sourceEnded, int64_t* tailLeft, PlanarBlock<double>& block,
                 int blockSize, int* filled) {
  *filled = 0;
  while (*filled < blockSize && !*sourceEnded) {
    std::array<double*, RenderTarget::kChannels> at{};
    for (size_t c = 0; c < at.size(); ++c) at[c] = block.pointers[c] + *filled;
    int n = 0;
    Status status = source.Read(at.data(), blockSize - *filled, &n);
    if (!status.ok()) return status;
    if (n == 0) *sourceEnded = true;
    *filled += n;
  }
  const int silence = static_cast<int>(std::min<int64_t>(blockSize - *filled, *tailLeft));
  for (auto& channel : block.data) std::fill_n(channel.begin() + *filled, silence, 0.0);
  *tailLeft -= silence;
  *filled += silence;
  return Status::Ok();
}

}  // namespace

Status RenderThrough(RenderTarget& target, AudioSource& source, AudioSink& sink, const RenderSettings& settings,
                     const RenderProgress& progress, int64_t* framesRendered) {
  *framesRendered = 0;
  const int blockSize = std::max(1, settings.blockSize);
  target.Prepare(source.SampleRate(), blockSize);

  PlanarBlock<double> input(blockSize), output(blockSize);
  // The 32-bit path converts at the host's side, as a 32-bit host's buffers would be.
  const bool use32 = settings.precision == Precision::Bits32;
  PlanarBlock<float> input32(use32 ? blockSize : 0), output32(use32 ? blockSize : 0);

  const int64_t total = std::max<int64_t>(0, source.FrameCount()) + settings.tailFrames;
  bool sourceEnded = false;
  int64_t tailLeft = settings.tailFrames;
  for (;;) {
    int frames = 0;
    Status status = FillBlock(source, &sourceEnded, &tailLeft, input, blockSize, &frames);
    if (!status.ok()) return status;
    if (frames == 0) break;

    if (use32) {
      for (size_t c = 0; c < input.data.size(); ++c)
        std::transform(input.data[c].begin(), input.data[c].begin() + frames, input32.data[c].begin(),
                       [](double s) { return static_cast<float>(s); });
      target.Process32(input32.pointers.data(), output32.pointers.data(), frames);
      for (size_t c = 0; c < output.data.size(); ++c)
        std::copy_n(output32.data[c].begin(), frames, output.data[c].begin());
    } else {
      target.Process64(input.pointers.data(), output.pointers.data(), frames);
    }

    status = sink.Write(output.pointers.data(), frames);
    if (!status.ok()) return status;
    *framesRendered += frames;
    if (progress) progress(*framesRendered, std::max(total, *framesRendered));
  }
  return Status::Ok();
}
