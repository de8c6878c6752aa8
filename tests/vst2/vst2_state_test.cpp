// Program and bank chunks through the binary: formats, round trips, and damaged
// chunks that must fail cleanly and leave a working plug-in.
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "vst2_test_support.h"

namespace {
std::vector<float> AllParams(Vst2HostedPlugin& plugin) {
  std::vector<float> values;
  for (int i = 0; i < plugin.NumParams(); ++i) values.push_back(plugin.GetParameter(i));
  return values;
}

// Distinct, non-default values on many parameters (the preset actions left alone).
void SetDistinctValues(Vst2HostedPlugin& plugin, float offset) {
  for (int i : {0, 2, 3, 5, 6, 11, 13, 15, 22, 23, 24, 25, 27, 28, 29})
    plugin.SetParameter(i, 0.05f + offset + 0.03f * static_cast<float>(i % 10));
}

double ParamFromState(const std::vector<uint8_t>& bytes, size_t offset, int index) {
  double v = 0.0;
  std::memcpy(&v, bytes.data() + offset + 8 * static_cast<size_t>(index), sizeof v);
  return v;
}

// Asks from a second thread, one that lives as long as the probe, whether the
// instance lock is free: a dispatcher call there must complete. One thread for all
// questions, because under Wine starting a thread per question sometimes never
// returned while the previous one was still exiting.
class LockProbe {
 public:
  explicit LockProbe(AEffect* effect) : effect_(effect), worker_([this] { Run(); }) {}
  ~LockProbe() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    // A worker stuck inside the plug-in cannot be joined; it is left to the process.
    if (answered_ == asked_) worker_.join(); else worker_.detach();
  }

  bool LockIsFree() {
    std::unique_lock<std::mutex> hold(mutex_);
    const int question = ++asked_;
    wake_.notify_all();
    return wake_.wait_for(hold, std::chrono::seconds(60), [&] { return answered_ >= question; });
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> hold(mutex_);
    for (;;) {
      wake_.wait(hold, [&] { return stop_ || answered_ < asked_; });
      if (stop_) return;
      const int question = asked_;
      hold.unlock();
      effect_->dispatcher(effect_, effGetProgram, 0, 0, nullptr, 0.0f);
      hold.lock();
      answered_ = question;
      wake_.notify_all();
    }
  }

  AEffect* effect_;
  std::mutex mutex_;
  std::condition_variable wake_;
  int asked_ = 0;
  int answered_ = 0;
  bool stop_ = false;
  std::thread worker_;
};
}  // namespace

TEST(Vst2State, ProgramChunkIsHeaderAndParameterState) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  const std::vector<uint8_t> chunk = plugin->GetChunk(true);
  ASSERT_EQ(chunk.size(), 256u);
  const uint8_t header[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  EXPECT_EQ(std::memcmp(chunk.data(), header, 8), 0);
  EXPECT_DOUBLE_EQ(ParamFromState(chunk, 8, kParamMainVolume), 0.5);
  EXPECT_DOUBLE_EQ(ParamFromState(chunk, 8, kParamMidiChannel), 1.0);
  // Without a pointer there is nothing to hand back.
  EXPECT_EQ(plugin->Dispatch(effGetChunk, 1, 0, nullptr), 0);
}

TEST(Vst2State, BankChunkHoldsTheInitSlot) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  const std::vector<uint8_t> bank = plugin->GetChunk(false);
  ASSERT_EQ(bank.size(), 265u);
  int32_t nameLength = 0;
  std::memcpy(&nameLength, bank.data() + 8, 4);
  EXPECT_EQ(nameLength, 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bank.data() + 12), 4), "Init");
  EXPECT_EQ(bank[16], 1);  // initialised
}

TEST(Vst2State, HeaderlessParameterStateIsAccepted) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  std::vector<uint8_t> state = plugin->GetChunk(true);
  state.erase(state.begin(), state.begin() + 8);
  ASSERT_EQ(state.size(), 248u);
  const double volume = 0.125;
  std::memcpy(state.data() + 8 * kParamMainVolume, &volume, sizeof volume);
  EXPECT_TRUE(plugin->SetChunk(true, state));
  EXPECT_FLOAT_EQ(plugin->GetParameter(kParamMainVolume), 0.125f);
}

TEST(Vst2State, ProgramRoundTripRestoresEveryParameterExactly) {
  auto source = LoadMoravelle();
  auto target = LoadMoravelle();
  ASSERT_TRUE(source && target);
  SetDistinctValues(*source, 0.1f);
  const std::vector<uint8_t> saved = source->GetChunk(true);
  ASSERT_TRUE(target->SetChunk(true, saved));
  EXPECT_EQ(AllParams(*target), AllParams(*source));
  // Byte-identical once saved again: no value moved by a single bit.
  EXPECT_EQ(target->GetChunk(true), saved);
}

TEST(Vst2State, BankRoundTripRestoresEveryParameterAndTheName) {
  auto source = LoadMoravelle();
  auto target = LoadMoravelle();
  ASSERT_TRUE(source && target);
  SetDistinctValues(*source, 0.2f);
  source->Dispatch(effSetProgramName, 0, 0, const_cast<char*>("Cathedral"));
  const std::vector<uint8_t> saved = source->GetChunk(false);
  ASSERT_TRUE(target->SetChunk(false, saved));
  EXPECT_EQ(AllParams(*target), AllParams(*source));
  char name[32] = {};
  target->Dispatch(effGetProgramName, 0, 0, name);
  EXPECT_STREQ(name, "Cathedral");
  EXPECT_EQ(target->GetChunk(false), saved);
}

TEST(Vst2State, ProgramChangeKeepsTheEditedValues) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  plugin->SetParameter(kParamMainVolume, 0.7f);
  // Selecting the current program first stores the current values in it.
  plugin->Dispatch(effSetProgram, 0, 0);
  EXPECT_FLOAT_EQ(plugin->GetParameter(kParamMainVolume), 0.7f);
  plugin->Dispatch(effSetProgram, 0, 5);  // no such program: nothing changes
  EXPECT_FLOAT_EQ(plugin->GetParameter(kParamMainVolume), 0.7f);
  EXPECT_EQ(plugin->Dispatch(effGetProgram), 0);
}

TEST(Vst2State, TruncatedStateFailsAndLeavesTheRestUnchanged) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  plugin->SetParameter(1, 1.0f);
  plugin->SetParameter(kParamMainVolume, 0.9f);
  // 12 bytes: parameter 0 complete, parameter 1 cut in the middle.
  std::vector<uint8_t> state(12, 0);
  const double first = 0.25;
  std::memcpy(state.data(), &first, sizeof first);
  EXPECT_FALSE(plugin->SetChunk(true, state));
  EXPECT_FLOAT_EQ(plugin->GetParameter(0), 0.25f);  // read before the data ran out
  EXPECT_FLOAT_EQ(plugin->GetParameter(1), 1.0f);   // regression: was set to 0.0
  EXPECT_FLOAT_EQ(plugin->GetParameter(kParamMainVolume), 0.9f);
  LockProbe probe(plugin->Effect());
  EXPECT_TRUE(probe.LockIsFree());
}

TEST(Vst2State, DamagedChunksFailCleanlyAndThePluginKeepsWorking) {
  auto plugin = LoadMoravelle();
  ASSERT_TRUE(plugin);
  SetDistinctValues(*plugin, 0.15f);
  const std::vector<uint8_t> good = plugin->GetChunk(true);
  const std::vector<uint8_t> goodBank = plugin->GetChunk(false);
  LockProbe probe(plugin->Effect());  // ends before the plug-in is closed

  std::vector<std::vector<uint8_t>> bad;
  bad.push_back({});                                       // empty
  bad.push_back({0x74, 0x66});                             // a magic cut short
  bad.push_back({0x74, 0x66, 0x66, 0x70, 0x00, 0x00});     // a header cut short
  bad.push_back(std::vector<uint8_t>(good.begin(), good.begin() + 100));  // truncated program
  bad.push_back(std::vector<uint8_t>(goodBank.begin(), goodBank.begin() + 14));  // truncated bank name
  std::vector<uint8_t> hugeName = goodBank;                // a name length far past the end
  hugeName[8] = 0xFF, hugeName[9] = 0xFF, hugeName[10] = 0xFF, hugeName[11] = 0x7F;
  bad.push_back(hugeName);
  std::vector<uint8_t> negativeName = goodBank;            // a negative name length
  negativeName[11] = 0x80;
  bad.push_back(negativeName);
  uint32_t seed = 12345;
  for (int n = 0; n < 20; ++n) {                           // garbage of many sizes
    std::vector<uint8_t> garbage(static_cast<size_t>(n * 37 % 300));
    for (uint8_t& b : garbage) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    if (n % 2 == 0 && garbage.size() >= 8) std::memcpy(garbage.data(), good.data(), 8);  // our header
    bad.push_back(garbage);
  }
  for (const auto& chunk : bad) {
    for (bool program : {true, false}) {
      plugin->SetChunk(program, chunk);
      if (!probe.LockIsFree()) {
        plugin.release();  // the probe still waits on it: closing it would pull it from under the probe
        FAIL() << "chunk of " << chunk.size() << " bytes left the lock held";
      }
      for (int i = 0; i < plugin->NumParams(); ++i) {
        const float v = plugin->GetParameter(i);
        ASSERT_TRUE(v >= 0.0f && v <= 1.0f) << "parameter " << i << " = " << v;
      }
    }
  }
  // Sizes no host can mean: refused without reading.
  EXPECT_EQ(plugin->Dispatch(effSetChunk, 1, -8, const_cast<uint8_t*>(good.data())), 0);
  EXPECT_EQ(plugin->Dispatch(effSetChunk, 1, intptr_t{1} << 40, const_cast<uint8_t*>(good.data())), 0);
  EXPECT_EQ(plugin->Dispatch(effSetChunk, 1, 256, nullptr), 0);
  // An oversized chunk: a valid state followed by trailing bytes reads the state.
  std::vector<uint8_t> oversized = good;
  oversized.resize(good.size() + 4096, 0xEE);
  EXPECT_TRUE(plugin->SetChunk(true, oversized));

  // Still a working plug-in: a good chunk restores and audio runs.
  ASSERT_TRUE(plugin->SetChunk(true, good));
  EXPECT_EQ(plugin->GetChunk(true), good);
  ASSERT_TRUE(plugin->SetChunk(false, goodBank));
  auto in = TestSignal(512);
  std::vector<std::vector<float>> out(2, std::vector<float>(512));
  auto inPtrs = ChannelPointers(in);
  auto outPtrs = ChannelPointers(out);
  plugin->ProcessFloat(inPtrs.data(), outPtrs.data(), 512);
  for (float v : out[0]) ASSERT_TRUE(std::isfinite(v));
}
