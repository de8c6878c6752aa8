// Vst3Plugin as edit controller: the exported parameters, their texts and values,
// units, the program list and the editor view.
#include <algorithm>
#include <cstring>

#include "abi/vst3/text16.h"
#include "vst3_plugin.h"
#include "vst3_plugin_view.h"

using namespace vst3;

namespace {

// Normalised values from a host are 0..1 by contract; anything else is clamped so
// that a bad host value cannot push a parameter below its range.
double ClampNormalised(double v) { return std::clamp(v, 0.0, 1.0); }

}  // namespace

void Vst3Plugin::AddHostParameters() {
  if (PresetCount() >= 1)
    Parameters().Add(std::make_unique<Parameter>(u"Preset", kPresetParamId, u"", 0.0, PresetCount(),
                                                 ParameterInfo::kIsProgramChange, kRootUnitId));
  if (!IsInstrument()) {
    auto bypass = std::make_unique<StringListParameter>(u"Bypass", kBypassParamId, u"",
                                                        ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass,
                                                        kRootUnitId);
    bypass->AppendString(u"off");
    bypass->AppendString(u"on");
    Parameters().Add(std::move(bypass));
  }
}

int Vst3Plugin::UnitForGroup(const char* group) {
  if (group == nullptr || group[0] == '\0') return kRootUnitId;
  const auto found = std::find(unitNames_.begin(), unitNames_.end(), group);
  if (found != unitNames_.end()) return 1 + static_cast<int>(found - unitNames_.begin());
  unitNames_.emplace_back(group);
  return static_cast<int>(unitNames_.size());
}

void Vst3Plugin::AddEffectParameter(int index) {
  const PluginParam* param = Param(index);
  const UnitID unit = UnitForGroup(param->Group());
  char16 title[kParamTextSize];
  char16 units[kParamTextSize];
  WidenText(title, param->Name());
  WidenText(units, param->LabelForHost());
  const int32 automate = param->Automatable() ? ParameterInfo::kCanAutomate : 0;
  const auto id = static_cast<ParamID>(index);
  if (param->IsListValued()) {
    auto list = std::make_unique<StringListParameter>(title, id, units, ParameterInfo::kIsList | automate, unit);
    for (int32 k = 0; k < static_cast<int32>(param->ValueTexts().size()); ++k) {
      char16 text[kParamTextSize];
      WidenText(text, param->TextForValue(k));
      list->AppendString(text);
    }
    Parameters().Add(std::move(list));
  } else if (param->Type() == ParamType::Int || param->Type() == ParamType::Double) {
    auto range = std::make_unique<RangeParameter>(title, id, units, param->Minimum(), param->Maximum(),
                                                  param->Default(), 0, automate, unit);
    range->SetPrecision(param->Precision());
    Parameters().Add(std::move(range));
  }
}

tresult PLUGIN_API Vst3Plugin::getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) {
  const PluginParam* param = id < static_cast<ParamID>(ParamCount()) ? Param(static_cast<int>(id)) : nullptr;
  if (param == nullptr || string == nullptr) return kResultFalse;
  char text[kParamTextSize];
  param->FormatForHost(param->FromNormalized(ClampNormalised(valueNormalized)), false, text, sizeof text, true);
  WidenText(string, 128, text);
  return kResultOk;
}

ParamValue PLUGIN_API Vst3Plugin::plainParamToNormalized(ParamID id, ParamValue plainValue) {
  const PluginParam* param = id < static_cast<ParamID>(ParamCount()) ? Param(static_cast<int>(id)) : nullptr;
  return param != nullptr ? param->ToNormalized(plainValue) : plainValue;
}

ParamValue PLUGIN_API Vst3Plugin::getParamNormalized(ParamID id) {
  if (id == kBypassParamId) return Bypassed() ? 1.0 : 0.0;
  const PluginParam* param = id < static_cast<ParamID>(ParamCount()) ? Param(static_cast<int>(id)) : nullptr;
  return param != nullptr ? param->NormalizedValue() : 0.0;
}

tresult PLUGIN_API Vst3Plugin::setParamNormalized(ParamID id, ParamValue value) {
  PluginParam* param = id < static_cast<ParamID>(ParamCount()) ? Param(static_cast<int>(id)) : nullptr;
  if (param == nullptr) return kResultFalse;
  param->SetFromNormalized(ClampNormalised(value));
  return kResultOk;
}

IPlugView* PLUGIN_API Vst3Plugin::createView(FIDString name) {
  if (name == nullptr || std::strcmp(name, "editor") != 0) return nullptr;
  auto* view = new (std::nothrow) Vst3PluginView(*this);
  return view;
}

// ---- Unit information -------------------------------------------------------------------

int32 PLUGIN_API Vst3Plugin::getUnitCount() { return static_cast<int32>(unitNames_.size()) + 1; }

tresult PLUGIN_API Vst3Plugin::getUnitInfo(int32 unitIndex, UnitInfo& info) {
  if (unitIndex == 0) {
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    WidenText(info.name, "Root Unit");
    info.programListId = kNoProgramListId;
    return kResultOk;
  }
  if (unitIndex < 1 || unitIndex > static_cast<int32>(unitNames_.size())) return kResultFalse;
  info.id = unitIndex;
  info.parentUnitId = kRootUnitId;
  WidenText(info.name, unitNames_[static_cast<size_t>(unitIndex - 1)].c_str());
  info.programListId = kNoProgramListId;
  return kResultOk;
}

// The list is described but not counted: no unit refers to it, so hosts use the
// Preset parameter rather than program-list browsing.
int32 PLUGIN_API Vst3Plugin::getProgramListCount() { return 0; }

tresult PLUGIN_API Vst3Plugin::getProgramListInfo(int32 listIndex, ProgramListInfo& info) {
  if (listIndex != 0) return kResultFalse;
  info.id = static_cast<ProgramListID>(kPresetParamId);
  WidenText(info.name, "Factory Presets");
  info.programCount = PresetCount();
  return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::getProgramName(ProgramListID listId, int32 programIndex, String128 name) {
  if (listId != static_cast<ProgramListID>(kPresetParamId) || name == nullptr) return kResultFalse;
  WidenText(name, 128, PresetName(programIndex));
  return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::getProgramInfo(ProgramListID, int32, CString, String128) { return kNotImplemented; }
tresult PLUGIN_API Vst3Plugin::hasProgramPitchNames(ProgramListID, int32) { return kNotImplemented; }
tresult PLUGIN_API Vst3Plugin::getProgramPitchName(ProgramListID, int32, int16, String128) { return kNotImplemented; }
tresult PLUGIN_API Vst3Plugin::selectUnit(UnitID) { return kNotImplemented; }
tresult PLUGIN_API Vst3Plugin::getUnitByBus(MediaType, BusDirection, int32, int32, UnitID&) { return kNotImplemented; }
tresult PLUGIN_API Vst3Plugin::setUnitProgramData(int32, int32, IBStream*) { return kNotImplemented; }
