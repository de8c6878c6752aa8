#include "param_assignment.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "name_suggestion.h"

namespace {

std::string FormatPlain(double plain) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", plain);
  return text;
}

std::vector<std::string> ParamNames(const RenderTarget& target) {
  std::vector<std::string> names;
  for (int i = 0; i < target.ParamCount(); ++i) names.push_back(target.DescribeParam(i).name);
  return names;
}

}  // namespace

const std::vector<NamedValue>& AudibleDefaults() {
  // A medium room with a decay of about three seconds, mixed half and half with the
  // dry signal: clearly a reverb without washing the demo out.
  static const std::vector<NamedValue> defaults = {
      {kMasterSwitchParam, 1.0},
      {"ReverbRoomSize", 0.6},
      {"ReverbDecayTime", 0.15},
      {"ReverbEarlyReflections", 0.5},
      {"ReverbLateReverberation", 0.9},
      {"AmpMainBlend", 0.5},
  };
  return defaults;
}

bool ParsePlainNumber(std::string_view text, double* plain) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) return false;
  const std::string copy(text);  // strtod needs a terminated string
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || errno == ERANGE || !std::isfinite(value)) return false;
  *plain = value;
  return true;
}

int FindParamByName(const RenderTarget& target, std::string_view name) {
  for (int i = 0; i < target.ParamCount(); ++i)
    if (target.DescribeParam(i).name == name) return i;
  return -1;
}

Status ParseParamAssignment(std::string_view text, const RenderTarget& target, ParamAssignment* out) {
  const size_t equals = text.find('=');
  if (equals == std::string_view::npos || equals == 0)
    return Status::Error("--param '" + std::string(text) + "' is not of the form Name=value");
  const std::string_view name = text.substr(0, equals);
  const std::string_view valueText = text.substr(equals + 1);

  const int index = FindParamByName(target, name);
  if (index < 0) {
    std::string message = "unknown parameter '" + std::string(name) + "'";
    const std::string suggestion = ClosestName(name, ParamNames(target));
    if (!suggestion.empty()) message += " (did you mean '" + suggestion + "'?)";
    return Status::Error(message + "; --list-params shows them all");
  }

  const TargetParamInfo info = target.DescribeParam(index);
  double plain = 0.0;
  if (!ParsePlainNumber(valueText, &plain))
    return Status::Error("value '" + std::string(valueText) + "' for " + info.name + " is not a number");
  if (info.rangeKnown && (plain < info.minimum || plain > info.maximum))
    return Status::Error("value " + std::string(valueText) + " for " + info.name + " is outside its range " +
                         FormatPlain(info.minimum) + ".." + FormatPlain(info.maximum));
  *out = {index, plain};
  return Status::Ok();
}

Status ApplyParamArguments(const std::vector<std::string>& arguments, RenderTarget& target,
                           const PresetStep& preset) {
  std::vector<ParamAssignment> assignments;
  const int masterSwitch = FindParamByName(target, kMasterSwitchParam);
  bool masterSwitchNamed = false;
  for (const std::string& argument : arguments) {
    ParamAssignment assignment;
    Status status = ParseParamAssignment(argument, target, &assignment);
    if (!status.ok()) return status;
    masterSwitchNamed = masterSwitchNamed || assignment.index == masterSwitch;
    assignments.push_back(assignment);
  }

  // A preset carries its own master switch and settings, so it starts from the
  // effect's defaults. The audible defaults are plain values: a target that takes
  // only normalised ones cannot use them.
  if (!masterSwitchNamed && !preset && target.IsMoravelle() && target.Units() != ParamUnits::Normalised) {
    for (const NamedValue& value : AudibleDefaults()) {
      const int index = FindParamByName(target, value.name);
      if (index < 0) continue;
      Status status = target.SetParamValue(index, value.plain);
      if (!status.ok()) return status;
    }
  }
  if (preset) {
    Status status = preset(target);
    if (!status.ok()) return status;
  }
  for (const ParamAssignment& assignment : assignments) {
    Status status = target.SetParamValue(assignment.index, assignment.plain);
    if (!status.ok()) return status;
  }
  return Status::Ok();
}
