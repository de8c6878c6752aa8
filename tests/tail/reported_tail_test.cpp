// The tail each plug-in format reports, held against the audio: for a spread of
// settings (short and long decays, no and two seconds of pre-delay, both ends of the
// damping and of the room size) at 44.1 and 96 kHz, an impulse rendered through the
// built binary stays below -100 dB relative to the impulse once the reported tail
// has passed, and the reported tail is no more than twice the measured one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "hosts/vst2/vst2_host.h"
#include "hosts/vst3/vst3_host.h"

namespace {

// Parameter indices (the same in both formats; all of these range over 0..1).
enum : int {
  kBlend = 5,
  kVolume = 6,
  kInputGain = 15,
  kDamp = 22,
  kDecay = 23,
  kEarly = 24,
  kLate = 25,
  kOffOn = 26,
  kPreDelay = 28,
  kRoom = 29,
};
using Settings = std::vector<std::pair<int, double>>;

struct TailCase {
  const char* name;
  Settings settings;
};

const TailCase kCases[] = {
    {"short decay, smallest room", {{kRoom, 0}, {kDecay, 0}, {kEarly, 0.5}, {kLate, 0.8}}},
    {"short decay, largest room", {{kRoom, 1}, {kDecay, 0}, {kEarly, 0.5}, {kLate, 0.8}, {kBlend, 1}}},
    {"longest decay, largest room", {{kRoom, 1}, {kDecay, 1}, {kLate, 1}, {kBlend, 0.5}}},
    {"long decay, two seconds of pre-delay", {{kRoom, 0.4}, {kDecay, 0.3}, {kLate, 0.9}, {kPreDelay, 1}}},
    {"medium decay, fully damped", {{kRoom, 0.5}, {kDecay, 0.5}, {kEarly, 0.6}, {kLate, 0.8}, {kDamp, 1}}},
    {"medium decay, heavily damped", {{kRoom, 0.5}, {kDecay, 0.5}, {kLate, 0.8}, {kDamp, 0.9}, {kBlend, 1}}},
    {"early reflections only", {{kRoom, 0.7}, {kDecay, 0.2}, {kEarly, 1}, {kPreDelay, 0.3}}},
    {"input gain and volume at full", {{kRoom, 0.3}, {kDecay, 0.1}, {kEarly, 0.4}, {kLate, 0.7}, {kInputGain, 1}, {kVolume, 1}}},
};

constexpr int kBlock = 1024;

// What the test needs of a host: set values, ask for the tail, process 64-bit blocks.
class TailHost {
 public:
  virtual ~TailHost() = default;
  virtual void Set(const Settings& settings) = 0;
  virtual long long TailSamples() = 0;
  virtual void Process(double* const* in, double* const* out, int frames) = 0;
};

class Vst2TailHost : public TailHost {
 public:
  explicit Vst2TailHost(double rate) {
    std::string error;
    Vst2HostOptions options;
    options.sampleRate = rate;
    options.blockSize = kBlock;
    plugin_ = Vst2HostedPlugin::Load(MORAVELLE_VST2_BINARY, &error, options);
    EXPECT_TRUE(plugin_) << error;
    plugin_->Resume();
  }
  void Set(const Settings& settings) override {
    for (auto [index, value] : settings) plugin_->SetParameter(index, static_cast<float>(value));
  }
  long long TailSamples() override { return plugin_->Dispatch(effGetTailSize); }
  void Process(double* const* in, double* const* out, int frames) override { plugin_->ProcessDouble(in, out, frames); }
  bool Loaded() const { return plugin_ != nullptr; }

 private:
  std::unique_ptr<Vst2HostedPlugin> plugin_;
};

class Vst3TailHost : public TailHost {
 public:
  explicit Vst3TailHost(double rate) {
    std::string error;
    host_ = host3::Vst3Host::Load(MORAVELLE_VST3_MODULE, &error);
    EXPECT_TRUE(host_) << error;
    if (host_) {
      EXPECT_TRUE(host_->Setup(rate, kBlock, vst3::kSample64)) << host_->LastError();
    }
  }
  void Set(const Settings& settings) override {
    for (auto [index, value] : settings) host_->QueueParam(static_cast<vst3::ParamID>(index), value);
  }
  long long TailSamples() override { return host_->Processor()->getTailSamples(); }
  void Process(double* const* in, double* const* out, int frames) override { host_->Process64(in, out, frames); }
  bool Loaded() const { return host_ != nullptr; }

 private:
  std::unique_ptr<host3::Vst3Host> host_;
};

struct Measurement {
  long long reported = 0;
  long long lastAudible = -1;  // frames after the impulse, -1 when nothing was
  double loudestAfterTail = 0.0;
};

// Settles the settings in silence, asks for the tail, then renders a unit impulse
// and what follows it: the reported tail and a margin of a tenth and half a second.
Measurement Measure(TailHost& host, const Settings& settings, double rate) {
  Settings on = {{kOffOn, 1}};
  on.insert(on.end(), settings.begin(), settings.end());
  host.Set(on);
  std::vector<double> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
  double* in[2] = {inL.data(), inR.data()};
  double* out[2] = {outL.data(), outR.data()};
  for (int done = 0; done < static_cast<int>(0.5 * rate); done += kBlock) host.Process(in, out, kBlock);

  Measurement m;
  m.reported = host.TailSamples();
  const long long frames = m.reported + m.reported / 10 + static_cast<long long>(0.5 * rate);
  const double threshold = 1e-5;  // -100 dB of the unit impulse
  inL[0] = inR[0] = 1.0;
  for (long long done = 0; done < frames; done += kBlock) {
    host.Process(in, out, kBlock);
    inL[0] = inR[0] = 0.0;
    for (int i = 0; i < kBlock; ++i) {
      const double level = std::max(std::fabs(outL[static_cast<size_t>(i)]), std::fabs(outR[static_cast<size_t>(i)]));
      if (level > threshold) m.lastAudible = done + i;
      if (done + i >= m.reported) m.loudestAfterTail = std::max(m.loudestAfterTail, level);
    }
  }
  return m;
}

template <typename Host>
void CheckReportedTails(double rate) {
  for (const TailCase& c : kCases) {
    SCOPED_TRACE(c.name);
    Host host(rate);
    ASSERT_TRUE(host.Loaded());
    const Measurement m = Measure(host, c.settings, rate);
    std::printf("%-40s %6.0f Hz: reported %8.3f s, measured %8.3f s\n", c.name, rate, m.reported / rate,
                (m.lastAudible + 1) / rate);
    EXPECT_GT(m.reported, 1);
    EXPECT_LT(m.loudestAfterTail, 1e-5) << "reported " << m.reported << " frames, audible until " << m.lastAudible;
    EXPECT_LE(m.reported, 2 * (m.lastAudible + 1)) << "measured " << m.lastAudible + 1 << " frames";
  }
}

TEST(ReportedTail, Vst2CoversTheImpulseResponseAndNoMoreThanTwice) {
  for (double rate : {44100.0, 96000.0}) CheckReportedTails<Vst2TailHost>(rate);
}

TEST(ReportedTail, Vst3CoversTheImpulseResponseAndNoMoreThanTwice) {
  for (double rate : {44100.0, 96000.0}) CheckReportedTails<Vst3TailHost>(rate);
}

TEST(ReportedTail, IsNoneWhileTheReverbIsOffAndFollowsTheSettings) {
  Vst2TailHost vst2(44100);
  Vst3TailHost vst3(44100);
  ASSERT_TRUE(vst2.Loaded() && vst3.Loaded());
  std::vector<double> silence(kBlock);
  double* io[2] = {silence.data(), silence.data()};
  EXPECT_EQ(vst2.TailSamples(), 1);  // VST 2's "no tail" (0 would mean unknown)
  EXPECT_EQ(vst3.TailSamples(), 0);  // kNoTail
  for (TailHost* host : {static_cast<TailHost*>(&vst2), static_cast<TailHost*>(&vst3)}) {
    host->Set({{kOffOn, 1}, {kLate, 0.8}, {kDecay, 0.1}});
    host->Process(io, io, kBlock);
    const long long shorter = host->TailSamples();
    host->Set({{kDecay, 0.9}});
    host->Process(io, io, kBlock);
    EXPECT_GT(host->TailSamples(), shorter);
    host->Set({{kOffOn, 0}});
    host->Process(io, io, kBlock);
    EXPECT_LE(host->TailSamples(), 1);
  }
}

}  // namespace
