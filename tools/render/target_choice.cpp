#include "target_choice.h"

#include "in_process_target.h"
#include "plugin_binary_target.h"
#include "vst3_binary_target.h"

namespace {

Status OpenBinary(const std::string& path, std::unique_ptr<RenderTarget>* target) {
  Status status = Status::Ok();
  if (IsVst3Path(path)) {
    std::unique_ptr<Vst3BinaryTarget> vst3;
    status = Vst3BinaryTarget::Load(path, &vst3);
    *target = std::move(vst3);
  } else {
    std::unique_ptr<PluginBinaryTarget> vst2;
    status = PluginBinaryTarget::Load(path, &vst2);
    *target = std::move(vst2);
  }
  return status;
}

}  // namespace

std::string DefaultPluginPath() {
#ifdef MORAVELLE_RENDER_DEFAULT_PLUGIN
  return MORAVELLE_RENDER_DEFAULT_PLUGIN;
#else
  return {};
#endif
}

bool IsVst3Path(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();  // "Moravelle.vst3/" from completion
  constexpr std::string_view kExtension = ".vst3";
  return trimmed.size() > kExtension.size() && trimmed.ends_with(kExtension);
}

Status OpenRenderTarget(const RenderOptions& options, std::unique_ptr<RenderTarget>* target) {
  std::string path = options.pluginPath;
  if (options.inProcess || (path.empty() && DefaultPluginPath().empty())) {
    *target = std::make_unique<InProcessTarget>();
    return Status::Ok();
  }
  const bool builtIn = path.empty();
  if (builtIn) path = DefaultPluginPath();
  Status status = OpenBinary(path, target);
  // The built plug-in missing is a build problem with two ways out.
  if (!status.ok() && builtIn)
    return Status::Error(status.message() + " (build the target moravelle_vst3, or use --in-process)");
  return status;
}
