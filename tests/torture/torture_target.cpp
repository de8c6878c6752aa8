#include "torture_target.h"

#include <algorithm>
#include <array>

#include "hosts/vst2/vst2_host.h"
#include "hosts/vst3/vst3_host.h"

namespace {

class Vst2Target final : public TortureTarget {
 public:
  explicit Vst2Target(std::unique_ptr<Vst2HostedPlugin> plugin) : plugin_(std::move(plugin)) {}

  bool Setup(double sampleRate, int maxBlock, bool doublePrecision) override {
    plugin_->SetSampleRate(sampleRate);
    plugin_->SetBlockSize(maxBlock);
    plugin_->Resume();
    doublePrecision_ = doublePrecision;
    return plugin_->CanProcessDouble() || !doublePrecision;
  }
  bool SwitchRate(double sampleRate, int) override {
    plugin_->Resume();
    Vst2HostOptions& options = plugin_->Options();
    options.changeSetupWhileRunning = true;
    plugin_->SetSampleRate(sampleRate);
    options.changeSetupWhileRunning = false;
    return true;
  }
  void SetParam(int index, double normalised, int) override {
    plugin_->SetParameter(index, static_cast<float>(normalised));
  }
  double ParamNormalised(int index) override { return plugin_->GetParameter(index); }
  bool Process32(float* const* inputs, float* const* outputs, int frames) override {
    AEffect* e = plugin_->Effect();
    e->processReplacing(e, const_cast<float**>(inputs), const_cast<float**>(outputs), frames);
    return true;
  }
  bool Process64(double* const* inputs, double* const* outputs, int frames) override {
    AEffect* e = plugin_->Effect();
    e->processDoubleReplacing(e, const_cast<double**>(inputs), const_cast<double**>(outputs), frames);
    return true;
  }
  std::vector<uint8_t> GetState() override { return plugin_->GetChunk(true); }
  bool SetState(const std::vector<uint8_t>& bytes) override { return plugin_->SetChunk(true, bytes); }
  void SendControllers(int count, int maxOffset) override {
    std::vector<HostMidiEvent> events(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      // Controller 3 is not mapped to any parameter, so the values stay the host's.
      events[static_cast<size_t>(i)].deltaFrames = maxOffset > 0 ? (i * 7919) % maxOffset : 0;
      events[static_cast<size_t>(i)].bytes[0] = 0xB0;
      events[static_cast<size_t>(i)].bytes[1] = 3;
      events[static_cast<size_t>(i)].bytes[2] = static_cast<uint8_t>(i & 0x7F);
    }
    plugin_->SendMidi(events);
  }
  PluginFormat Format() const override { return PluginFormat::Vst2; }

 private:
  std::unique_ptr<Vst2HostedPlugin> plugin_;
  bool doublePrecision_ = false;
};

class Vst3Target final : public TortureTarget {
 public:
  explicit Vst3Target(std::unique_ptr<host3::Vst3Host> host) : host_(std::move(host)) {}

  bool Setup(double sampleRate, int maxBlock, bool doublePrecision) override {
    return host_->Setup(sampleRate, maxBlock, doublePrecision ? vst3::kSample64 : vst3::kSample32);
  }
  bool SwitchRate(double sampleRate, int maxBlock) override { return host_->SetupWhileProcessing(sampleRate, maxBlock); }
  void SetParam(int index, double normalised, int offset) override {
    // A queue keeps its points in offset order and the plug-in applies the last one:
    // a later change of the same block never goes to an earlier offset.
    int& last = lastOffset_[static_cast<size_t>(index) % kTracked];
    last = std::max(last, offset);
    host_->QueueParam(static_cast<vst3::ParamID>(index), normalised, last);
  }
  double ParamNormalised(int index) override { return host_->ParamNormalized(static_cast<vst3::ParamID>(index)); }
  bool Process32(float* const* inputs, float* const* outputs, int frames) override {
    lastOffset_.fill(0);
    return host_->Process32(inputs, outputs, frames);
  }
  bool Process64(double* const* inputs, double* const* outputs, int frames) override {
    lastOffset_.fill(0);
    return host_->Process64(const_cast<double* const*>(inputs), outputs, frames);
  }
  std::vector<uint8_t> GetState() override {
    const std::vector<unsigned char> bytes = host_->GetState();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  }
  bool SetState(const std::vector<uint8_t>& bytes) override {
    return host_->SetState(std::vector<unsigned char>(bytes.begin(), bytes.end())) == vst3::kResultOk;
  }
  void SendControllers(int, int) override {}
  PluginFormat Format() const override { return PluginFormat::Vst3; }

 private:
  static constexpr size_t kTracked = 64;
  std::unique_ptr<host3::Vst3Host> host_;
  std::array<int, kTracked> lastOffset_{};
};

}  // namespace

std::unique_ptr<TortureTarget> TortureTarget::Load(PluginFormat format, const std::string& path, std::string* error) {
  if (format == PluginFormat::Vst2) {
    Vst2HostOptions options;
    options.blockSize = 4096;
    auto plugin = Vst2HostedPlugin::Load(HostPath(path), error, options);
    if (!plugin) return nullptr;
    return std::make_unique<Vst2Target>(std::move(plugin));
  }
  auto host = host3::Vst3Host::Load(HostPath(path), error);
  if (!host) return nullptr;
  return std::make_unique<Vst3Target>(std::move(host));
}

const char* FormatName(PluginFormat format) { return format == PluginFormat::Vst2 ? "VST2" : "VST3"; }

std::string HostPath(const std::string& unixPath) {
  std::string path = unixPath;
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
#endif
  return path;
}
