#pragma once
// A VST3 plug-in (a .vst3 bundle folder or the binary itself) loaded through the
// project's VST3 host, as a DAW loads it: Moravelle.vst3 or any third-party effect.
//
// Parameter values are plain: the plug-in's controller converts them
// (plainParamToNormalized, or getParamValueByString when that gives nothing usable)
// and its normalizedParamToPlain gives the range and the check that the value
// arrives as given. Among the normalised values next to the converted one, the one
// the controller maps back closest to the plain value (exactly where one does) is
// sent, so that a plug-in whose processor converts as its controller does holds that
// plain value, or the nearest it can hold: within a unit in the last place.
//
// Changes travel as a host's automation does: in the parameter queue of the next
// process call. Changes made before the first block are delivered by an empty
// process call and followed by a fresh activation, so that the processor starts from
// them as it would from values set before a reset. A bypass parameter, which hosts
// send with the blocks and plug-ins may clear on activation, goes again with the first.
//
// Audio: 64-bit samples when the processor says it can process them, else the
// 64-bit path converts to 32 bits. The renderer's stereo pair feeds the first input
// bus (a mono bus gets their average, further channels silence); the first output
// bus's first two channels are the result (a mono bus goes to both sides).

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "render_status.h"
#include "render_target.h"
#include "stereo_channel_map.h"

namespace host3 {
class Vst3Host;
}

class Vst3BinaryTarget : public RenderTarget {
 public:
  // Loads the bundle or binary at path; a one-line reason in the status on failure.
  static Status Load(const std::string& path, std::unique_ptr<Vst3BinaryTarget>* target);
  ~Vst3BinaryTarget() override;

  int ParamCount() const override;
  TargetParamInfo DescribeParam(int index) const override;
  double ParamValue(int index) const override;
  Status SetParamValue(int index, double plain) override;
  ParamUnits Units() const override { return ParamUnits::Plain; }
  bool IsMoravelle() const override { return isMoravelle_; }
  std::string Summary() const override;

  void Prepare(double sampleRate, int blockSize) override;
  void Process64(double* const* inputs, double* const* outputs, int frames) override;
  void Process32(const float* const* inputs, float* const* outputs, int frames) override;

  // True when the 64-bit path hands the processor 64-bit samples.
  bool ProcessesDouble() const { return can64_; }
  // The host underneath, for checks of what the plug-in holds (its state).
  host3::Vst3Host& Host() { return *host_; }

  // The binary inside a bundle folder (Contents/x86_64-linux/<name>.so, else the one
  // .so there), or path itself when it is not a folder; empty for a folder without one.
  static std::string BundleBinary(const std::string& path);

 private:
  Vst3BinaryTarget() = default;

  struct ParamEntry {
    unsigned int id = 0;
    std::string name;
    std::string units;
    int stepCount = 0;
    bool isBypass = false;
    double minimum = 0.0, maximum = 1.0, defaultPlain = 0.0;
  };


  // Activates the processor for this sample size when Prepare or a change of path asks for it.
  void EnsureActive(int sampleSize);
  double PlainOf(unsigned int id, double normalised) const;
  // The normalised value for a plain one (see the comment above); NaN when the plug-in has none.
  double NormalisedFor(const ParamEntry& param, double plain) const;

  std::unique_ptr<host3::Vst3Host> host_;
  std::string path_;
  std::string className_;
  std::string vendorName_;
  std::vector<ParamEntry> params_;
  bool isMoravelle_ = false;
  bool can64_ = false;
  double sampleRate_ = 44100.0;
  int blockSize_ = 512;
  int inputChannels_ = 0, outputChannels_ = 0;
  int activeSampleSize_ = -1;  // none until the first block
  bool changesPending_ = false;
  std::vector<std::pair<unsigned int, double>> pendingBypass_;  // sent again after a fresh activation
  StereoChannelMap<double> map64_;
  StereoChannelMap<float> map32_;
  std::vector<std::vector<float>> narrowIn_, narrowOut_;  // the 64-bit path of a 32-bit-only plug-in
};
