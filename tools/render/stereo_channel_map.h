#pragma once
// Feeds the renderer's stereo pair to a plug-in with any number of channels and takes
// a stereo pair back, the same way for both binary formats: the pair goes to the
// plug-in's first two inputs (a mono input gets their average, further inputs
// silence); its first two outputs are the result (a mono output goes to both sides),
// further outputs go to scratch buffers that are thrown away.

#include <algorithm>
#include <cstddef>
#include <vector>

template <typename T>
class StereoChannelMap {
 public:
  static constexpr int kPair = 2;

  // Sizes the scratch buffers; outside the render loop.
  void Prepare(int pluginInputs, int pluginOutputs, int maxFrames) {
    const auto size = static_cast<size_t>(std::max(maxFrames, 1));
    const int spareIns = pluginInputs == 1 ? 1 : std::max(pluginInputs - kPair, 0);
    spareIn_.assign(static_cast<size_t>(spareIns), std::vector<T>(size, T()));
    spareOut_.assign(static_cast<size_t>(std::max(pluginOutputs - kPair, 0)), std::vector<T>(size, T()));
    in_.assign(static_cast<size_t>(std::max(pluginInputs, 0)), nullptr);
    out_.assign(static_cast<size_t>(std::max(pluginOutputs, 0)), nullptr);
  }

  // Binds one block of at most maxFrames frames.
  void Bind(const T* const* stereoIn, T* const* stereoOut, int frames) {
    const auto count = static_cast<size_t>(frames);
    if (in_.size() == 1) {
      T* mix = spareIn_[0].data();
      for (size_t f = 0; f < count; ++f) mix[f] = (stereoIn[0][f] + stereoIn[1][f]) / T(2);
      in_[0] = mix;
    } else {
      for (size_t c = 0; c < in_.size(); ++c) {
        if (c < static_cast<size_t>(kPair)) {
          // The interfaces take non-const arrays; a plug-in that writes its inputs
          // writes the renderer's input block, which is refilled for every block.
          in_[c] = const_cast<T*>(stereoIn[c]);
        } else {
          // Refilled every block: a plug-in may write into its input buffers.
          std::fill_n(spareIn_[c - kPair].begin(), count, T());
          in_[c] = spareIn_[c - kPair].data();
        }
      }
    }
    for (size_t c = 0; c < out_.size(); ++c)
      out_[c] = c < static_cast<size_t>(kPair) ? stereoOut[c] : spareOut_[c - kPair].data();
  }

  // The plug-in's arrays for the bound block; Inputs() is null for a plug-in without inputs.
  T* const* Inputs() const { return in_.empty() ? nullptr : in_.data(); }
  T* const* Outputs() const { return out_.data(); }

  // After the plug-in has processed the bound block: a mono result goes to both sides.
  void Finish(T* const* stereoOut, int frames) const {
    if (out_.size() == 1) std::copy_n(stereoOut[0], static_cast<size_t>(frames), stereoOut[1]);
  }

 private:
  std::vector<std::vector<T>> spareIn_, spareOut_;  // a mono mix, inputs beyond the pair, unused outputs
  std::vector<T*> in_, out_;
};
