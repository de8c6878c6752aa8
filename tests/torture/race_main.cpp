// moravelle-race: a host thread hammers parameters, chunks and states while the
// audio thread processes, for both formats of the built plug-in at once. Built
// with ThreadSanitizer it proves the shared values are race-free; in any build it
// proves that nothing crashes or hangs (the watchdog ends a run that stops).
//
// Usage: moravelle-race VST2_BINARY VST3_PATH [SECONDS]
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "abi/vst2/vst2_interface.h"
#include "abi/vst2/vst2_opcodes.h"
#include "abi/vst2/vst2_records.h"
#include "host_objects.h"
#include "hosts/common/plugin_module.h"
#include "torture_target.h"
#include "vst3_host.h"
#include "watchdog.h"

namespace {

using Clock = std::chrono::steady_clock;

// The host callback of this program: constant answers, safe from any thread.
intptr_t ConstantHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

struct Counts {
  std::atomic<long> blocks{0};
  std::atomic<long> hostCalls{0};
  std::atomic<long> nonFinite{0};
};

template <typename Body>
void RunFor(double seconds, Watchdog& watchdog, Body body) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  for (long i = 0; Clock::now() < end; ++i) {
    body(i);
    if (i % 64 == 0) watchdog.Tick();
  }
}

bool RaceVst2(const std::string& path, double seconds, Watchdog& watchdog, Counts& counts) {
  std::string error;
  auto module = PluginModule::Open(HostPath(path), &error);
  if (!module) {
    std::fprintf(stderr, "moravelle-race: %s\n", error.c_str());
    return false;
  }
  auto entry = reinterpret_cast<AEffect* (*)(audioMasterCallback)>(module->Symbol("VSTPluginMain"));
  AEffect* e = entry != nullptr ? entry(ConstantHost) : nullptr;
  if (e == nullptr) return false;
  auto call = [e](int32_t op, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f) {
    return e->dispatcher(e, op, index, value, ptr, opt);
  };
  call(effOpen);
  call(effSetSampleRate, 0, 0, nullptr, 48000.0f);
  call(effSetBlockSize, 0, 256);
  call(effMainsChanged, 0, 1);

  std::thread audio([&] {
    std::vector<float> l(256, 0.25f), r(256, -0.25f), ol(256), orr(256);
    float* in[2] = {l.data(), r.data()};
    float* out[2] = {ol.data(), orr.data()};
    RunFor(seconds, watchdog, [&](long i) {
      const int frames = 1 + static_cast<int>(i * 37 % 256);
      e->processReplacing(e, in, out, frames);
      for (int f = 0; f < frames; ++f)
        if (!std::isfinite(ol[static_cast<size_t>(f)])) counts.nonFinite.fetch_add(1);
      counts.blocks.fetch_add(1);
    });
  });
  std::mt19937 rng(11);
  RunFor(seconds, watchdog, [&](long i) {
    const int index = static_cast<int>(rng() % 31);
    switch (i % 6) {
      case 0: e->setParameter(e, index, static_cast<float>(rng() % 1001) / 1000.0f); break;
      case 1: (void)e->getParameter(e, index); break;
      case 2: {
        void* bytes = nullptr;
        const intptr_t n = call(effGetChunk, static_cast<int32_t>(i % 2), 0, &bytes);
        std::vector<uint8_t> copy(static_cast<uint8_t*>(bytes), static_cast<uint8_t*>(bytes) + (n > 0 ? n : 0));
        if (!copy.empty()) call(effSetChunk, static_cast<int32_t>(i % 2), static_cast<intptr_t>(copy.size()), copy.data());
        break;
      }
      case 3: {
        char text[256] = {};
        call(effGetParamDisplay, index, 0, text);
        break;
      }
      case 4: call(effSetProgram, 0, 0); break;
      default: {
        // Controllers from the wrong thread, as some hosts send them.
        VstMidiEvent cc{};
        cc.type = kVstMidiType;
        cc.byteSize = sizeof cc;
        cc.midiData[0] = static_cast<char>(0xB0);
        cc.midiData[1] = 7;
        cc.midiData[2] = static_cast<char>(rng() % 128);
        std::vector<uint8_t> list(16 + 2 * sizeof(VstEvent*), 0);
        auto* events = reinterpret_cast<VstEvents*>(list.data());
        events->numEvents = 1;
        events->events[0] = reinterpret_cast<VstEvent*>(&cc);
        call(effProcessEvents, 0, 0, events);
        break;
      }
    }
    counts.hostCalls.fetch_add(1);
  });
  audio.join();
  call(effMainsChanged, 0, 0);
  call(effClose);
  return true;
}

bool RaceVst3(const std::string& path, double seconds, Watchdog& watchdog, Counts& counts) {
  std::string error;
  auto host = host3::Vst3Host::Load(HostPath(path), &error);
  if (!host || !host->Setup(48000, 256, vst3::kSample32)) {
    std::fprintf(stderr, "moravelle-race: %s %s\n", error.c_str(), host ? host->LastError().c_str() : "");
    return false;
  }
  vst3::IEditController* controller = host->Controller();
  vst3::IComponent* component = host->Component();
  std::thread audio([&] {
    std::vector<float> l(256, 0.25f), r(256, -0.25f), ol(256), orr(256);
    float* in[2] = {l.data(), r.data()};
    float* out[2] = {ol.data(), orr.data()};
    RunFor(seconds, watchdog, [&](long i) {
      const int frames = 1 + static_cast<int>(i * 37 % 256);
      // Automation through the queues belongs to the audio thread.
      if (i % 3 == 0) host->QueueParam(static_cast<vst3::ParamID>(i % 31), (i % 100) / 100.0, 0);
      host->Process32(in, out, frames);
      for (int f = 0; f < frames; ++f)
        if (!std::isfinite(ol[static_cast<size_t>(f)])) counts.nonFinite.fetch_add(1);
      counts.blocks.fetch_add(1);
    });
  });
  std::mt19937 rng(13);
  RunFor(seconds, watchdog, [&](long i) {
    const auto id = static_cast<vst3::ParamID>(rng() % 31);
    switch (i % 5) {
      case 0: controller->setParamNormalized(id, static_cast<double>(rng() % 1001) / 1000.0); break;
      case 1: (void)controller->getParamNormalized(id); break;
      case 2: (void)controller->getParamNormalized(0x62706173); break;  // the bypass flag
      case 3: {
        vst3::String128 text{};
        controller->getParamStringByValue(id, 0.5, text);
        break;
      }
      default: {
        auto* stream = new host3::MemoryStream();
        component->getState(stream);
        auto* again = new host3::MemoryStream(stream->Bytes());
        component->setState(again);
        again->release();
        stream->release();
        break;
      }
    }
    counts.hostCalls.fetch_add(1);
  });
  audio.join();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s VST2_BINARY VST3_PATH [SECONDS]\n", argv[0]);
    return 2;
  }
  const double seconds = argc > 3 ? std::atof(argv[3]) : 10.0;
  Watchdog watchdog(60.0, "moravelle-race");
  Counts vst2, vst3;
  // Both formats at once: two plug-ins in one process, four threads.
  bool ok2 = false, ok3 = false;
  std::thread second([&] { ok3 = RaceVst3(argv[2], seconds, watchdog, vst3); });
  ok2 = RaceVst2(argv[1], seconds, watchdog, vst2);
  second.join();
  std::printf("race VST2: %ld blocks against %ld host calls, %ld non-finite samples\n", vst2.blocks.load(),
              vst2.hostCalls.load(), vst2.nonFinite.load());
  std::printf("race VST3: %ld blocks against %ld controller and state calls, %ld non-finite samples\n",
              vst3.blocks.load(), vst3.hostCalls.load(), vst3.nonFinite.load());
  return ok2 && ok3 && vst2.nonFinite.load() == 0 && vst3.nonFinite.load() == 0 ? 0 : 1;
}
