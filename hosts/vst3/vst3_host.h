#pragma once
// Vst3Host: hosts one VST 3 plug-in from a binary or bundle path, the way hosts do:
// entry function, factory, createInstance, initialize with a host context that
// reports a product name, component handler and connection, bus activation and
// arrangement, setupProcessing, setActive, setProcessing, process with parameter
// queues and events, state through a memory stream, and the full teardown.
//
// Single-threaded: every call comes from the caller's thread. Only single-component
// plug-ins (the component is its own controller) are supported.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host_objects.h"
#include "vst3_module.h"

namespace host3 {

struct ParamSummary {
  vst3::ParamID id = 0;
  std::string title;
  std::string units;
  vst3::int32 stepCount = 0;
  double defaultNormalized = 0.0;
  vst3::UnitID unitId = 0;
  vst3::int32 flags = 0;
};

struct LoadOptions {
  std::u16string hostName = u"Moravelle Host3";
  int classIndex = 0;  // which factory class to instantiate; -1: the first "Audio Module Class"
};

class Vst3Host {
 public:
  static std::unique_ptr<Vst3Host> Load(const std::string& path, std::string* error,
                                        const LoadOptions& options = LoadOptions());
  ~Vst3Host();
  Vst3Host(const Vst3Host&) = delete;
  Vst3Host& operator=(const Vst3Host&) = delete;

  // ---- What the factory says
  vst3::PFactoryInfo FactoryInfo() const;
  int ClassCount() const;
  bool ClassInfo2(int index, vst3::PClassInfo2* info) const;
  // The class this host instantiated.
  const vst3::PClassInfo& LoadedClass() const { return loadedClass_; }

  // ---- Parameters (controller side)
  std::vector<ParamSummary> Params() const;
  double ParamNormalized(vst3::ParamID id) const;
  std::string ParamText(vst3::ParamID id, double normalized) const;

  // ---- Processing. Setup negotiates stereo buses, the sample size (0: 32-bit,
  // 1: 64-bit), then activates and starts processing. False with the reason logged
  // in LastError().
  bool Setup(double sampleRate, int maxBlock, int sampleSize, int processMode = vst3::kRealtime);
  // Queues a parameter change for the next process call (last point at offset) and
  // tells the controller, as hosts do for automation.
  void QueueParam(vst3::ParamID id, double normalized, int sampleOffset = 0);
  void QueueNoteOn(int channel, int pitch, float velocity, int sampleOffset);
  void QueueNoteOff(int channel, int pitch, int sampleOffset);
  void SetProcessContext(const vst3::ProcessContext& context);
  // One block; the queued changes and events go with it and are then cleared.
  bool Process32(const float* const* inputs, float* const* outputs, int frames);
  bool Process64(double* const* inputs, double* const* outputs, int frames);
  // A block with no audio that only delivers the queued parameter changes.
  bool Flush();

  // ---- Silence flags. The next blocks send these input flags (bit n: channel n is
  // all zero) and leave staleOutput in the output bus's field before the call, as a
  // host that reuses its bus records does; OutputSilenceFlags is what the plug-in
  // wrote there in the last block.
  void SetSilenceFlags(vst3::uint64 input, vst3::uint64 staleOutput);
  vst3::uint64 OutputSilenceFlags() const { return outputSilence_; }

  // ---- Odd but legal hosts: process without a parameter-change list and without an
  // event list (null pointers; queued changes and events then stay queued).
  void SetSendChangeLists(bool send) { sendChangeLists_ = send; }
  // A new setupProcessing (rate and largest block, same sample size and mode) while
  // the plug-in is active and processing, without the setActive(0) that the
  // interface asks for first: a host switching rates on the fly.
  bool SetupWhileProcessing(double sampleRate, int maxBlock);

  // ---- State (the component's getState/setState through a memory stream)
  std::vector<unsigned char> GetState(vst3::tresult* result = nullptr);
  vst3::tresult SetState(const std::vector<unsigned char>& bytes);

  // ---- Raw access, for tests that check single calls
  vst3::IPluginFactory* Factory() const { return module_->Factory(); }
  vst3::IComponent* Component() const { return component_; }
  vst3::IAudioProcessor* Processor() const { return processor_; }
  vst3::IEditController* Controller() const { return controller_; }
  ComponentHandler& Handler() { return *handler_; }
  const std::string& LastError() const { return lastError_; }
  const std::string& BinaryPath() const { return module_->BinaryPath(); }

 private:
  Vst3Host() = default;
  template <typename Sample>
  bool ProcessBlock(Sample* const* inputs, Sample* const* outputs, int frames, int sampleSize);

  std::unique_ptr<Vst3Module> module_;
  HostApplication* hostApp_ = nullptr;
  ComponentHandler* handler_ = nullptr;
  ParameterChanges* changes_ = nullptr;
  EventList* events_ = nullptr;
  vst3::IComponent* component_ = nullptr;
  vst3::IAudioProcessor* processor_ = nullptr;
  vst3::IEditController* controller_ = nullptr;
  vst3::IConnectionPoint* componentConnection_ = nullptr;
  vst3::IConnectionPoint* controllerConnection_ = nullptr;
  vst3::PClassInfo loadedClass_{};
  vst3::ProcessContext context_{};
  bool hasContext_ = false;
  bool sendChangeLists_ = true;
  vst3::uint64 inputSilence_ = 0;
  vst3::uint64 staleOutputSilence_ = 0;
  vst3::uint64 outputSilence_ = 0;
  bool initialized_ = false;
  bool active_ = false;
  int sampleSize_ = vst3::kSample32;
  int processMode_ = vst3::kRealtime;
  std::string lastError_;
};

}  // namespace host3
