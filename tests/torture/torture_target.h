#pragma once
// One built Moravelle plug-in, VST2 or VST3, loaded by path through the project's
// own hosts and driven as a busy host drives it. The torture runs see both formats
// through this one face.
//
// Single-threaded: every call comes from the caller's thread.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class PluginFormat { Vst2, Vst3 };

class TortureTarget {
 public:
  virtual ~TortureTarget() = default;

  // Loads the binary at path (a VST2 module, or a VST3 module or bundle); null with
  // the reason in *error on failure.
  static std::unique_ptr<TortureTarget> Load(PluginFormat format, const std::string& path, std::string* error);

  // Suspends if active, sets rate and largest block, resumes. 64-bit or 32-bit
  // samples from then on.
  virtual bool Setup(double sampleRate, int maxBlock, bool doublePrecision) = 0;
  // A new sample rate between two blocks while processing runs, without stopping:
  // VST2 effSetSampleRate while resumed, VST3 setupProcessing while active.
  virtual bool SwitchRate(double sampleRate, int maxBlock) = 0;
  // A normalised value for the next block: VST2 sets it at once, VST3 queues it at
  // the offset (and tells the controller, as hosts do).
  virtual void SetParam(int index, double normalised, int offset) = 0;
  virtual double ParamNormalised(int index) = 0;
  // One block. Outputs may be the input arrays.
  virtual bool Process32(float* const* inputs, float* const* outputs, int frames) = 0;
  virtual bool Process64(double* const* inputs, double* const* outputs, int frames) = 0;
  // The host's state round trip: VST2 program chunk, VST3 component state.
  virtual std::vector<uint8_t> GetState() = 0;
  virtual bool SetState(const std::vector<uint8_t>& bytes) = 0;
  // Controller messages for the next block (VST2 only; VST3 carries no controllers).
  virtual void SendControllers(int count, int maxOffset) = 0;

  virtual PluginFormat Format() const = 0;
};

const char* FormatName(PluginFormat format);
// Under Wine the build's Unix paths are reached through drive Z:.
std::string HostPath(const std::string& unixPath);
