#include "tools/editor_shot/editor_shot_target.h"

#include <string>

TargetParamInfo EditorShotTarget::DescribeParam(int index) const {
  const PluginParam* param = effect_.Param(index);
  if (param == nullptr) return {};
  TargetParamInfo info;
  info.name = param->Name();
  info.minimum = param->Minimum();
  info.maximum = param->Maximum();
  info.defaultValue = param->Default();
  char text[kParamTextSize];
  param->FormatForHost(text, sizeof text);
  info.display = text;
  return info;
}

double EditorShotTarget::ParamValue(int index) const {
  const PluginParam* param = effect_.Param(index);
  return param != nullptr ? param->Value() : 0.0;
}

Status EditorShotTarget::SetParamValue(int index, double plain) {
  PluginParam* param = effect_.Param(index);
  if (param == nullptr) return Status::Error("no parameter " + std::to_string(index));
  ScopedLock hold(effect_.InstanceLock());
  if (EditorLink* editor = effect_.Editor()) editor->UpdateControlsForParam(index, plain, false);
  param->SetValue(plain);
  effect_.OnParamChanged(index);
  return Status::Ok();
}
