#pragma once
// What the renderer needs of a plug-in: its parameter list, parameter changes in the
// units the target declares, the host's set-up (sample rate, block size, reset) and
// block processing in either precision. The in-process effect and loaded VST2 and
// VST3 binaries implement it; the rest of the renderer does not know which it drives.
//
// Every call comes from the renderer's one thread, which plays the host's main and
// audio threads in turn; an implementation takes whatever lock its plug-in expects a
// host to hold (the in-process effect's instance lock). Calls follow a host's order:
// parameters may be set at any time; Prepare comes before the first Process call;
// every Process call passes at most the prepared block size.

#include <optional>
#include <string>

#include "render_status.h"

// What a number given to SetParamValue means.
enum class ParamUnits {
  Plain,       // the parameter's own units, range known and checked (in-process, VST3 binaries)
  PluginText,  // handed to the plug-in as text, read in its own units; it checks the range
  Normalised,  // the host-visible 0..1 of a plug-in binary
};

struct TargetParamInfo {
  std::string name;
  double minimum = 0.0;       // in the target's units; meaningful when rangeKnown
  double maximum = 1.0;
  double defaultValue = 0.0;  // Plain: the plain default; other units: the normalised value at load
  bool rangeKnown = true;
  std::string display;        // the plug-in's own text for the current value with its label
  std::optional<unsigned int> id;  // the plug-in's own identifier, where its format has one (VST3)
};

class RenderTarget {
 public:
  virtual ~RenderTarget() = default;

  virtual int ParamCount() const = 0;
  virtual TargetParamInfo DescribeParam(int index) const = 0;  // index in 0..ParamCount()-1
  // Plain targets give the plain value; the others the normalised value they report.
  virtual double ParamValue(int index) const = 0;
  // Sets a value in Units() as a host would and notifies the plug-in. The in-process
  // effect clamps silently (its range is checked before); a binary reports a value it
  // refused or, where it shows it, changed.
  virtual Status SetParamValue(int index, double value) = 0;
  virtual ParamUnits Units() const { return ParamUnits::Plain; }
  // True for this project's effect, in-process or built as a binary: it gets the
  // renderer's audible defaults. Third-party plug-ins are left as they load.
  virtual bool IsMoravelle() const { return true; }
  // Lines naming what is rendered through, for --list-params; empty for none.
  virtual std::string Summary() const { return {}; }

  // Sample rate in Hz and the largest block the host will pass; ends in a reset.
  virtual void Prepare(double sampleRate, int blockSize) = 0;

  // Two input and two output channels, planar; outputs must not alias inputs.
  virtual void Process64(double* const* inputs, double* const* outputs, int frames) = 0;
  virtual void Process32(const float* const* inputs, float* const* outputs, int frames) = 0;

  static constexpr int kChannels = 2;
};
