// Parameter state, preset bank and chunk header.
#include <cstdio>
#include <cstring>

#include "plugin_base.h"
#include "text_util.h"
#include "trace.h"

bool PluginBase::SerializeParams(StateChunk& chunk) {
  MORAVELLE_TRACE("PluginBase::SerializeParams");
  ScopedLock hold(lock_);
  for (const auto& param : params_)
    if (!chunk.PutDouble(param->Value())) break;
  return chunk.Size() > 0 || params_.empty();
}

int PluginBase::UnserializeParams(const StateChunk& chunk, int pos) {
  MORAVELLE_TRACE("PluginBase::UnserializeParams");
  ScopedLock hold(lock_);
  RestoreScope restoring(*this);
  // A parameter without data keeps its value: setting it to 0 would silently
  // overwrite the user's setting with whatever 0 clamps to.
  for (auto& param : params_) {
    if (pos < 0) break;
    double v = 0.0;
    pos = chunk.GetDouble(&v, pos);
    if (pos >= 0) param->SetValue(v);
  }
  NotifyAllParamsChanged();
  return pos;
}

bool PluginBase::SerializePresets(StateChunk& chunk) {
  MORAVELLE_TRACE("PluginBase::SerializePresets");
  bool ok = true;
  for (const auto& slot : presets_) {
    chunk.PutString(slot->name);
    chunk.PutByte(slot->initialised ? 1 : 0);
    if (slot->initialised) chunk.PutBytes(slot->state.Data(), slot->state.Size());
    ok = ok && chunk.Size() > 0;
  }
  return ok;
}

int PluginBase::UnserializePresets(const StateChunk& chunk, int pos) {
  MORAVELLE_TRACE("PluginBase::UnserializePresets");
  ScopedLock hold(lock_);
  RestoreScope restoring(*this);
  char previous[kPresetNameSize] = "";
  for (auto& slot : presets_) {
    if (pos < 0) break;
    int32_t length = 0;
    int next = chunk.GetInt32(&length, pos);
    if (next >= 0) {
      if (length > 0 && length <= chunk.Size() - next) {
        // The name is the bytes up to the first zero, cut to the slot's field.
        const int kept = length < kPresetNameSize - 1 ? length : kPresetNameSize - 1;
        char text[kPresetNameSize] = "";
        std::memcpy(text, chunk.Data() + next, static_cast<size_t>(kept));
        text[kept] = '\0';
        CopyText(previous, text);
      }
      // Any length that could be read advances the position, in range or not.
      next = (length > chunk.Size() - next) ? -1 : next + (length > 0 ? length : 0);
    }
    CopyText(slot->name, previous);
    uint8_t flag = 0;
    if (next >= 0 && chunk.GetByte(&flag, next) >= 0) {
      slot->initialised = flag != 0;
      pos = next + 1;
    } else {
      pos = -1;
    }
    if (slot->initialised && pos >= 0) {
      pos = ReadState(chunk, pos);
      if (pos > 0) {
        slot->state.Clear();
        WriteState(slot->state);
      }
    }
  }
  LoadPresetSlot(currentPreset_);
  return pos;
}

void PluginBase::ModifyCurrentPreset(const char* name) {
  PresetSlot* slot = Preset(currentPreset_);
  if (slot == nullptr) return;
  slot->state.Clear();
  WriteState(slot->state);
  if (name != nullptr && name[0] != '\0') CopyText(slot->name, name);
}

bool PluginBase::LoadPresetSlot(int index) {
  PresetSlot* slot = Preset(index);
  if (slot == nullptr) return false;
  ScopedLock hold(lock_);
  bool ok = false;
  if (slot->initialised) {
    RestoreScope restoring(*this);
    ok = ReadState(slot->state, 0) > 0;
  } else {
    slot->initialised = true;
    int count = 0;
    for (const auto& other : presets_)
      if (std::strstr(other->name, "user preset") != nullptr) ++count;
    char name[kPresetNameSize];
    std::snprintf(name, sizeof name, "%s %d", "user preset", count + 1);
    CopyText(slot->name, name);
    slot->state.Clear();
    ok = WriteState(slot->state);
  }
  if (ok) {
    currentPreset_ = index;
    OnPresetsChanged();
    PushValuesToEditor();
  }
  return ok;
}

const char* PluginBase::PresetName(int index) const {
  return index >= 0 && index < PresetCount() ? presets_[static_cast<size_t>(index)]->name : "";
}

void PluginBase::FillEmptyPresets(const char* name, int count) {
  for (int n = 0; n < count; ++n) {
    for (auto& slot : presets_) {
      if (slot->initialised) continue;
      slot->initialised = true;
      CopyText(slot->name, name != nullptr ? name : "Empty");
      slot->state.Clear();
      WriteState(slot->state);
      break;
    }
  }
}

void PluginBase::WriteChunkHeader(StateChunk& chunk) {
  chunk.Clear();
  chunk.PutInt32(kChunkMagic);
  chunk.PutInt32(kChunkVersion);
}

int32_t PluginBase::ReadChunkHeader(const StateChunk& chunk, int* pos) {
  int32_t magic = 0;
  const int afterMagic = chunk.GetInt32(&magic, *pos);
  if (afterMagic < 0 || magic != kChunkMagic) return 0;
  int32_t version = 0;
  const int afterVersion = chunk.GetInt32(&version, afterMagic);
  if (afterVersion < 0) {
    *pos = -1;
    return 0;
  }
  *pos = afterVersion;
  return version;
}
