#include "target_choice.h"

#include "in_process_target.h"
#include "plugin_binary_target.h"

std::string DefaultPluginPath() {
#ifdef MORAVELLE_RENDER_DEFAULT_PLUGIN
  return MORAVELLE_RENDER_DEFAULT_PLUGIN;
#else
  return {};
#endif
}

Status OpenRenderTarget(const RenderOptions& options, std::unique_ptr<RenderTarget>* target) {
  std::string path = options.pluginPath;
  if (options.inProcess || (path.empty() && DefaultPluginPath().empty())) {
    *target = std::make_unique<InProcessTarget>();
    return Status::Ok();
  }
  const bool builtIn = path.empty();
  if (builtIn) path = DefaultPluginPath();
  std::unique_ptr<PluginBinaryTarget> binary;
  Status status = PluginBinaryTarget::Load(path, &binary);
  if (!status.ok()) {
    // The built plug-in missing is a build problem with two ways out.
    if (builtIn) return Status::Error(status.message() + " (build the target moravelle_vst2, or use --in-process)");
    return status;
  }
  *target = std::move(binary);
  return Status::Ok();
}
