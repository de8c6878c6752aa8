// VSTDispatcher: every host opcode, under the instance lock.
#include <cmath>
#include <cstring>

#include "abi/vst2/vst2_opcodes.h"
#include "vst2_plugin.h"
#include "vst2_text_limits.h"

intptr_t VSTDispatcher(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  Vst2Plugin* plugin = Vst2Plugin::FromEffect(effect);
  if (plugin == nullptr) return 0;
  if (opcode == effClose) {
    // Wait for any call still running on another thread, then let go of the lock
    // before the object (and the lock with it) is destroyed.
    plugin->InstanceLock().Lock();
    plugin->InstanceLock().Unlock();
    delete plugin;
    return 0;
  }
  ScopedLock hold(plugin->InstanceLock());
  return plugin->Dispatch(opcode, index, value, ptr, opt);
}

intptr_t Vst2Plugin::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  switch (opcode) {
    case effOpen: {
      HostSpecificSetup();
      // Pushing the values into the effect is a restore, not a user change.
      RestoreScope restoring(*this);
      NotifyAllParamsChanged();
      return 0;
    }
    case effSetProgram:
      return SetProgram(value);
    case effBeginSetProgram:
      hostSetsProgram_ = true;
      return 0;
    case effEndSetProgram:
      hostSetsProgram_ = false;
      return 0;
    case effGetProgram:
      return CurrentPreset();
    case effSetProgramName:
      if (ptr != nullptr) {
        ModifyCurrentPreset(static_cast<const char*>(ptr));
        OnPresetsChanged();
      }
      return 0;
    case effGetProgramName:
      if (ptr != nullptr) CopyToHost(ptr, kHostProgramNameChars, PresetName(CurrentPreset()));
      return 0;
    case effGetParamLabel:
      if (ptr != nullptr && ParamInRange(index)) CopyToHost(ptr, kHostParamLabelChars, Param(index)->LabelForHost());
      return 0;
    case effGetParamDisplay:
      if (ptr != nullptr && ParamInRange(index))
        Param(index)->FormatForHost(static_cast<char*>(ptr), static_cast<int>(kHostParamDisplayChars + 1));
      return 0;
    case effGetParamName:
      if (ptr != nullptr && ParamInRange(index)) CopyToHost(ptr, kHostParamNameChars, Param(index)->Name());
      return 0;
    case effSetSampleRate:
      SetSampleRateFromHost(opt);
      return 0;
    case effSetBlockSize:
      SetBlockSizeFromHost(value);
      return 0;
    case effMainsChanged:
      if (value != 0) {
        OnActiveChanged(true);
      } else {
        OnActiveChanged(false);
        OnReset();
      }
      return 0;
    case effEditGetRect:
      if (ptr == nullptr || Editor() == nullptr) return 0;
      *static_cast<ERect**>(ptr) = &editRect_;
      return 1;
    case effEditOpen:
      if (Editor() == nullptr || !OpenEditorWindow(ptr)) return 0;
      OnEditorOpened();
      return 1;
    case effEditClose:
      if (Editor() == nullptr) return 0;
      OnEditorClosed();
      Editor()->CloseWindow();
      return 1;
    case effEditIdle:
      // Window layers that the host drives (X11) handle their events and redraw
      // here; the Win32 window redraws on its own timer.
      if (Editor() != nullptr) Editor()->Idle();
      return 0;
    case effIdentify:
      return kEffectIdentify;
    case effGetChunk:
      return GetChunk(index == 0, static_cast<void**>(ptr));
    case effSetChunk:
      return SetChunk(index == 0, value, ptr);
    case effProcessEvents:
      return ProcessEvents(static_cast<const VstEvents*>(ptr));
    case effCanBeAutomated:
      return 1;
    case effString2Parameter:
      return TextToParameter(index, static_cast<const char*>(ptr));
    case effGetProgramNameIndexed: {
      if (ptr == nullptr) return 0;
      const char* name = PresetName(index);
      CopyToHost(ptr, kHostProgramNameChars, name);
      return name[0] != '\0' ? 1 : 0;
    }
    case effGetInputProperties:
      return PinProperties(true, index, static_cast<VstPinProperties*>(ptr));
    case effGetOutputProperties:
      return PinProperties(false, index, static_cast<VstPinProperties*>(ptr));
    case effGetPlugCategory:
      return IsInstrument() ? kPlugCategSynth : kPlugCategEffect;
    case effSetSpeakerArrangement:
      return SetSpeakerArrangement(reinterpret_cast<const VstSpeakerArrangement*>(value),
                                   static_cast<const VstSpeakerArrangement*>(ptr));
    case effGetEffectName:
      if (ptr == nullptr) return 0;
      CopyToHost(ptr, kHostEffectNameChars, EffectName());
      return 1;
    case effGetVendorString:
      if (ptr == nullptr) return 0;
      CopyToHost(ptr, kHostVendorChars, MakerName());
      return 1;
    case effGetProductString:
      if (ptr == nullptr) return 0;
      CopyToHost(ptr, kHostProductChars, ProductName());
      return 1;
    case effGetVendorVersion:
      return Vst2VersionNumber(Version());
    case effVendorSpecific:
      return VendorSpecific(index, value, ptr, opt);
    case effCanDo:
      return CanDo(static_cast<const char*>(ptr));
    case effGetTailSize: {
      // 0 would mean "unknown" to a VST 2 host; 1 says "no tail".
      const int tail = TailSamples();
      return tail > 0 ? tail : 1;
    }
    case effGetVstVersion:
      return kVstVersion;
    case effGetMidiKeyName: {
      if (ptr == nullptr) return 0;
      auto* key = static_cast<MidiKeyName*>(ptr);
      key->keyName[0] = '\0';
      return NameForMidiNote(key->thisKeyNumber, key->keyName, kVstMaxNameLen) ? 1 : 0;
    }
    case effGetSpeakerArrangement:
      if (value != 0) *reinterpret_cast<VstSpeakerArrangement**>(value) = &inputArrangement_;
      if (ptr != nullptr) *static_cast<VstSpeakerArrangement**>(ptr) = &outputArrangement_;
      return 1;
    default:
      // Among them effProcessVarIo, effSetBypass and effIdle: not supported.
      return 0;
  }
}

intptr_t Vst2Plugin::SetProgram(intptr_t program) {
  RestoreScope restoring(*this);
  if (!UsesStateChunks()) ModifyCurrentPreset();
  LoadPresetSlot(program >= 0 && program < PresetCount() ? static_cast<int>(program) : -1);
  return 0;
}

void Vst2Plugin::SetSampleRateFromHost(float hz) {
  // A rate the kernel cannot run at is refused, and so is an absurd one (the VST3
  // adapter's limit): the previous rate stays.
  if (!std::isfinite(hz) || hz <= 0.0f || hz >= 1.0e7f) return;
  SetSampleRate(hz);
  OnReset();
}

void Vst2Plugin::SetBlockSizeFromHost(intptr_t frames) {
  // A block size of 0 would leave no room to process; absurd sizes would make the
  // scratch buffers take gigabytes. Both are refused; the previous size stays.
  constexpr intptr_t kMaxBlockSize = 1 << 20;
  if (frames <= 0 || frames > kMaxBlockSize) return;
  ChangeBlockSize(static_cast<int>(frames));
  OnReset();
}
