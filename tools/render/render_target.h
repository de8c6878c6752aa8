#pragma once
// What the renderer needs of a plug-in: its parameter list, plain-value parameter
// changes, the host's set-up (sample rate, block size, reset) and block processing in
// either precision. The in-process effect implements it; a loaded plug-in binary can
// implement it the same way without the rest of the renderer changing.
//
// Every call comes from the renderer's one thread, which plays the host's main and
// audio threads in turn; an implementation takes whatever lock its plug-in expects a
// host to hold (the in-process effect's instance lock). Calls follow a host's order:
// parameters may be set at any time; Prepare comes before the first Process call;
// every Process call passes at most the prepared block size.

#include <string>

struct TargetParamInfo {
  std::string name;
  double minimum = 0.0;
  double maximum = 1.0;
  double defaultPlain = 0.0;
};

class RenderTarget {
 public:
  virtual ~RenderTarget() = default;

  virtual int ParamCount() const = 0;
  virtual TargetParamInfo DescribeParam(int index) const = 0;  // index in 0..ParamCount()-1
  virtual double ParamPlain(int index) const = 0;
  // Sets a plain value as a host would (the plug-in clamps it) and notifies the plug-in.
  virtual void SetParamPlain(int index, double plain) = 0;

  // Sample rate in Hz and the largest block the host will pass; ends in a reset.
  virtual void Prepare(double sampleRate, int blockSize) = 0;

  // Two input and two output channels, planar; outputs must not alias inputs.
  virtual void Process64(double* const* inputs, double* const* outputs, int frames) = 0;
  virtual void Process32(const float* const* inputs, float* const* outputs, int frames) = 0;

  static constexpr int kChannels = 2;
};
