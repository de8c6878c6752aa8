#pragma once
// --param Name=value: numbers in the target's units (see RenderTarget::Units),
// addressed by the host-visible parameter name.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "render_status.h"
#include "render_target.h"

struct ParamAssignment {
  int index = -1;
  double plain = 0.0;
};

struct NamedValue {
  const char* name;
  double plain;
};

// The effect's master switch; while it is 0 the effect passes its input through.
inline constexpr const char* kMasterSwitchParam = "ReverbOffOn";

// Applied before the command line's own values whenever no --param names the master
// switch, so that a plain render is audibly a reverb. The help text lists them.
const std::vector<NamedValue>& AudibleDefaults();

// The whole text as one finite number ("0.25", "-3", "1e-3"); nothing else.
bool ParsePlainNumber(std::string_view text, double* plain);

// Index of the parameter with exactly this name, or -1.
int FindParamByName(const RenderTarget& target, std::string_view name);

// "Name=value" against the target's list: unknown names (with the closest name as a
// suggestion), malformed or non-finite values and values outside the parameter's
// range, where the target knows it, are errors.
Status ParseParamAssignment(std::string_view text, const RenderTarget& target, ParamAssignment* out);

// A preset applied to the target (see preset_choice.h).
using PresetStep = std::function<Status(RenderTarget&)>;

// Checks every argument first and applies nothing unless all are valid; then applies
// the audible defaults (to Moravelle only, unless an argument names the master switch
// or a preset is given), then the preset, then the arguments in command-line order,
// so later arguments win. A value the plug-in refuses ends it with an error.
Status ApplyParamArguments(const std::vector<std::string>& arguments, RenderTarget& target,
                           const PresetStep& preset = {});
