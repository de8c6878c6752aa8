#include "preset_choice.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "built_factory_presets.h"
#include "effect/preset_catalogue.h"
#include "effect/preset_file_io.h"
#include "effect/preset_library_folder.h"
#include "name_suggestion.h"
#include "param_assignment.h"

namespace {

constexpr const char* kSelectorParam = "PresetSelector";

std::vector<std::string> CatalogueNames() {
  std::vector<std::string> names;
  for (int n = 1; n <= kFactoryPresetCount; ++n) names.push_back(FactoryPresetName(n));
  return names;
}

// The ranges of the stored parameters, for targets that do not state theirs (a VST2
// binary takes text and refuses what it would clamp): AmpFilterMode counts 0..2, every
// other stored parameter 0..1. The effect itself clamps the same way when it loads.
double ClampForTarget(const RenderTarget& target, int index, const char* element, double value) {
  const TargetParamInfo info = target.DescribeParam(index);
  if (target.Units() == ParamUnits::Plain && info.rangeKnown) return std::clamp(value, info.minimum, info.maximum);
  const double maximum = std::string_view(element) == "AmpFilterMode" ? 2.0 : 1.0;
  return std::clamp(value, 0.0, maximum);
}

Status ReadPresetFile(const std::string& path, PresetRecordValues* values) {
  std::string record;
  switch (ReadPresetRecord(path, record)) {
    case PresetReadResult::kRecord:
      break;
    case PresetReadResult::kNoFile:
      return Status::Error("cannot read the preset file '" + path + "'");
    case PresetReadResult::kEmptyRecord:
      return Status::Error("the preset file '" + path +
                           "' holds no preset (it is empty or ends in a line break, so the plug-in loads nothing)");
    case PresetReadResult::kTooLong:
      return Status::Error("the last line of '" + path + "' is longer than " +
                           std::to_string(kPresetRecordLimit / 1024) +
                           " KiB: not a preset (the plug-in loads nothing)");
  }
  *values = ParsePresetRecord(record);
  if (std::none_of(values->begin(), values->end(), [](const auto& value) { return value.has_value(); }))
    return Status::Error("the preset file '" + path + "' holds no parameter values");
  return Status::Ok();
}

// True when nothing at all is at path, not even a broken link; an error on the way
// (a denied folder) counts as something, as the plug-in counts it.
bool NothingAt(const std::string& path) {
  std::error_code ec;
  return std::filesystem::symlink_status(path, ec).type() == std::filesystem::file_type::not_found;
}

Status ResolveFactoryPreset(const std::string& name, int number, PresetChoice* choice) {
  const std::string library = PresetLibraryFolder();
  const std::string installed = library.empty() ? std::string() : library + FactoryPresetRelativePath(number);
  std::string record;
  if (!installed.empty() && ReadPresetRecord(installed, record) == PresetReadResult::kRecord) {
    choice->factoryNumber = number;
    choice->path = installed;
    return Status::Ok();
  }
  if (installed.empty() || NothingAt(installed)) {
    if (const std::string built = BuiltFactoryPresetFile(number); !built.empty()) {
      choice->factoryNumber = 0;
      choice->path = built;
      choice->origin = "preset \"" + name + "\" from " + built +
                       (library.empty() ? " (there is no preset library folder)" : " (not installed in the library)");
      return ReadPresetFile(built, &choice->values);
    }
  }
  if (library.empty())
    return Status::Error("factory preset '" + name +
                         "': there is no preset library folder (neither XDG_DOCUMENTS_DIR nor HOME is set)");
  return Status::Error("factory preset '" + name + "' is not installed: no preset in '" + installed +
                       "' (cmake --install installs the factory presets; --list-presets shows what is there)");
}

}  // namespace

Status ResolvePresetArgument(const std::string& argument, PresetChoice* choice) {
  if (const int number = FactoryPresetNumber(argument); number > 0)
    return ResolveFactoryPreset(argument, number, choice);
  std::error_code ec;
  if (std::filesystem::exists(argument, ec)) {
    choice->factoryNumber = 0;
    choice->path = argument;
    return ReadPresetFile(argument, &choice->values);
  }
  std::string message = "no preset file or factory preset named '" + argument + "'";
  const std::string suggestion = ClosestName(argument, CatalogueNames());
  if (!suggestion.empty()) message += " (did you mean '" + suggestion + "'?)";
  return Status::Error(message + "; --list-presets shows the factory presets");
}

Status ApplyPresetChoice(const PresetChoice& choice, RenderTarget& target) {
  if (!target.IsMoravelle() || target.Units() == ParamUnits::Normalised)
    return Status::Error("--preset needs Moravelle; this plug-in has no Moravelle presets");
  if (choice.factoryNumber > 0) {
    const int selector = FindParamByName(target, kSelectorParam);
    if (selector < 0) return Status::Error("the plug-in has no parameter " + std::string(kSelectorParam));
    return target.SetParamValue(selector, choice.factoryNumber);
  }
  for (size_t k = 0; k < choice.values.size(); ++k) {
    if (!choice.values[k]) continue;
    const char* element = kPresetStoredParams[k].element;
    const int index = FindParamByName(target, element);
    if (index < 0) return Status::Error("the plug-in has no parameter " + std::string(element));
    Status status = target.SetParamValue(index, ClampForTarget(target, index, element, *choice.values[k]));
    if (!status.ok()) return status;
  }
  return Status::Ok();
}
