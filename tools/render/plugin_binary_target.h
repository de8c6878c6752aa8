#pragma once
// A VST2 plug-in binary loaded by path through the project's own host, as a DAW
// loads it: Moravelle.so or any third-party plug-in.
//
// Parameter values: when the plug-in converts text to parameter values
// (effString2Parameter), a value is handed to it as text and read in its own units
// (for Moravelle the same plain values as the in-process effect); otherwise it is
// the host-visible normalised value 0..1 sent with setParameter.
//
// Audio: the renderer's stereo pair feeds the plug-in's first two inputs (a mono
// input gets their average, further inputs silence); its first two outputs are the
// result (a mono output goes to both sides). The 64-bit path uses
// processDoubleReplacing when the plug-in offers it, else converts to 32 bits.

#include <memory>
#include <string>
#include <vector>

#include "render_status.h"
#include "render_target.h"

class Vst2HostedPlugin;

class PluginBinaryTarget : public RenderTarget {
 public:
  // Loads and opens the binary at path; a one-line reason in the status on failure.
  static Status Load(const std::string& path, std::unique_ptr<PluginBinaryTarget>* target);
  ~PluginBinaryTarget() override;

  int ParamCount() const override;
  TargetParamInfo DescribeParam(int index) const override;
  double ParamValue(int index) const override;
  Status SetParamValue(int index, double value) override;
  ParamUnits Units() const override { return units_; }
  bool IsMoravelle() const override { return isMoravelle_; }
  std::string Summary() const override;

  void Prepare(double sampleRate, int blockSize) override;
  void Process64(double* const* inputs, double* const* outputs, int frames) override;
  void Process32(const float* const* inputs, float* const* outputs, int frames) override;

  // True when the 64-bit path reaches the plug-in's processDoubleReplacing.
  bool ProcessesDouble() const;

 private:
  PluginBinaryTarget() = default;

  // The plug-in's channels for one block, mapped from and to the renderer's pair.
  template <typename T>
  struct ChannelMap {
    std::vector<std::vector<T>> spareIn, spareOut;  // inputs beyond the pair, mono mixes, unused outputs
    std::vector<const T*> in;
    std::vector<T*> out;
  };
  template <typename T>
  void PrepareMap(ChannelMap<T>& map, int frames);
  template <typename T>
  void Run(ChannelMap<T>& map, const T* const* inputs, T* const* outputs, int frames);

  std::unique_ptr<Vst2HostedPlugin> host_;
  std::string path_;
  std::string effectName_;
  std::string vendorName_;
  std::vector<std::string> names_;
  std::vector<float> loadValues_;  // normalised values right after loading: the defaults
  ParamUnits units_ = ParamUnits::Normalised;
  bool isMoravelle_ = false;
  ChannelMap<double> map64_;
  ChannelMap<float> map32_;
};
