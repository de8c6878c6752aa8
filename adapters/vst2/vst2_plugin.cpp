// Construction of the effect record and the speaker arrangements.
#include "vst2_plugin.h"

#include "vst2_callbacks.h"

namespace {
constexpr int kDefaultBlockSize = 1024;

int32_t ArrangementTypeFor(int channels) {
  switch (channels) {
    case 0: return kSpeakerArrEmpty;
    case 1: return kSpeakerArrMono;
    case 2: return kSpeakerArrStereo;
    default: return kSpeakerArrUserDefined;
  }
}
}  // namespace

int32_t Vst2VersionNumber(int32_t packedVersion) {
  const int32_t major = (packedVersion >> 16) & 0xFFFF;
  const int32_t minor = (packedVersion >> 8) & 0xFF;
  const int32_t patch = packedVersion & 0xFF;
  return major * 10000 + minor * 100 + patch;
}

Vst2Plugin::Vst2Plugin(const PluginConfig& config, const HostArgs& args)
    : PluginBase(config), hostCallback_(args.hostCallback) {
  ConnectInputs(0, InputCount(), true);
  ConnectOutputs(0, OutputCount(), true);
  ChangeBlockSize(kDefaultBlockSize);

  inputArrangement_.numChannels = InputCount();
  inputArrangement_.type = ArrangementTypeFor(InputCount());
  outputArrangement_.numChannels = OutputCount();
  outputArrangement_.type = ArrangementTypeFor(OutputCount());

  effect_.magic = kEffectMagic;
  effect_.dispatcher = VSTDispatcher;
  effect_.process = Vst2ProcessAccumulating;
  effect_.setParameter = Vst2SetParameter;
  effect_.getParameter = Vst2GetParameter;
  effect_.numPrograms = PresetCount();
  effect_.numParams = ParamCount();
  effect_.numInputs = InputCount();
  effect_.numOutputs = OutputCount();
  effect_.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
  if (LegalIO(1, -1)) effect_.flags |= effFlagsCanMono;
  if (UsesStateChunks()) effect_.flags |= effFlagsProgramChunks;
  effect_.initialDelay = Latency();
  effect_.ioRatio = 1.0f;
  effect_.object = this;
  effect_.uniqueID = UniqueId();
  effect_.version = Vst2VersionNumber(Version());
  effect_.processReplacing = Vst2ProcessReplacing;
  effect_.processDoubleReplacing = Vst2ProcessDoubleReplacing;
}

// The state chunks go with the members; the base then deletes the editor,
// parameters, presets and buffers.
Vst2Plugin::~Vst2Plugin() { effect_.object = nullptr; }

Vst2Plugin* Vst2Plugin::FromEffect(AEffect* effect) {
  return effect != nullptr ? static_cast<Vst2Plugin*>(effect->object) : nullptr;
}

intptr_t Vst2Plugin::CallHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  return hostCallback_ != nullptr ? hostCallback_(&effect_, opcode, index, value, ptr, opt) : 0;
}

void Vst2Plugin::AttachEditor(EditorLink* editor) {
  if (editor == nullptr) return;
  PluginBase::AttachEditor(editor);
  effect_.flags |= effFlagsHasEditor;
  // The rectangle takes the editor's size now and follows it on every
  // EditorResized; an editor that reports no size leaves it empty until then.
  int width = 0;
  int height = 0;
  if (editor->EditorSize(&width, &height)) {
    editRect_.top = 0;
    editRect_.left = 0;
    editRect_.bottom = static_cast<int16_t>(height);
    editRect_.right = static_cast<int16_t>(width);
  }
}

void Vst2Plugin::EditorResized(int width, int height) {
  if (Editor() == nullptr) return;
  editRect_.top = 0;
  editRect_.left = 0;
  editRect_.bottom = static_cast<int16_t>(height);
  editRect_.right = static_cast<int16_t>(width);
  AfterEditorResize();
}

bool Vst2Plugin::OpenEditorWindow(void* parentWindow) {
  EditorLink* editor = Editor();
  if (editor == nullptr || editor->WindowSystem() == nullptr) return false;
  return editor->OpenWindow(parentWindow) != nullptr;
}

void Vst2Plugin::ChangeLatency(int samples) {
  effect_.initialDelay = samples;
  PluginBase::ChangeLatency(samples);
}

void Vst2Plugin::HostSpecificSetup() {
  if (hostSetupDone_) return;
  hostSetupDone_ = true;
  switch (IdentifyHost()) {
    case kHostForte:
    case kHostAudition:
    case kHostOrion:
    case kHostSawStudio:
      // These hosts give the plug-in stereo at most.
      ConnectInputs(2, InputCount() - 2, false);
      break;
    default:
      break;
  }
  effect_.numInputs = InputCount();
  inputArrangement_.numChannels = InputCount();
  effect_.numOutputs = OutputCount();
  outputArrangement_.numChannels = OutputCount();
  OnHostKnown();
}
