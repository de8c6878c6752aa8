#pragma once
// A VST2 plug-in binary loaded by path through the project's own host, as a DAW
// loads it: Moravelle.so or any third-party plug-in.
//
// Parameter values: when the plug-in converts text to parameter values
// (effString2Parameter), a value is handed to it as text and read in its own units
// (for Moravelle the same plain values as the in-process effect); otherwise it is
// the host-visible normalised value 0..1 sent with setParameter.
//
// Audio: the renderer's stereo pair is mapped to the plug-in's channels by
// StereoChannelMap. The 64-bit path uses processDoubleReplacing when the plug-in
// offers it, else converts to 32 bits.

#include <memory>
#include <string>
#include <vector>

#include "render_status.h"
#include "render_target.h"
#include "stereo_channel_map.h"

class Vst2HostedPlugin;

class Vst2BinaryTarget : public RenderTarget {
 public:
  // Loads and opens the binary at path; a one-line reason in the status on failure.
  static Status Load(const std::string& path, std::unique_ptr<Vst2BinaryTarget>* target);
  ~Vst2BinaryTarget() override;

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
  Vst2BinaryTarget() = default;


  std::unique_ptr<Vst2HostedPlugin> host_;
  std::string path_;
  std::string effectName_;
  std::string vendorName_;
  std::vector<std::string> names_;
  std::vector<float> loadValues_;  // normalised values right after loading: the defaults
  ParamUnits units_ = ParamUnits::Normalised;
  bool isMoravelle_ = false;
  StereoChannelMap<double> map64_;
  StereoChannelMap<float> map32_;
};
