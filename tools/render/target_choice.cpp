#include "target_choice.h"

#include <cstdlib>
#include <filesystem>

#include "executable_folder.h"
#include "in_process_target.h"
#include "vst2_binary_target.h"
#include "vst3_binary_target.h"

namespace {

Status OpenBinary(const std::string& path, std::unique_ptr<RenderTarget>* target) {
  Status status = Status::Ok();
  if (IsVst3Path(path)) {
    std::unique_ptr<Vst3BinaryTarget> vst3;
    status = Vst3BinaryTarget::Load(path, &vst3);
    *target = std::move(vst3);
  } else {
    std::unique_ptr<Vst2BinaryTarget> vst2;
    status = Vst2BinaryTarget::Load(path, &vst2);
    *target = std::move(vst2);
  }
  return status;
}

constexpr const char* kBundleName = "Moravelle.vst3";

}  // namespace

std::vector<std::string> DefaultPluginCandidates() {
  std::vector<std::string> candidates;
  const std::filesystem::path folder = ExecutableFolder();
  if (!folder.empty()) {
    candidates.push_back((folder / kBundleName).string());
#ifdef MORAVELLE_RENDER_BUILD_TREE_PLUGIN
    // The bundle's place in the build tree, relative to the renderer's own.
    candidates.push_back((folder / MORAVELLE_RENDER_BUILD_TREE_PLUGIN).lexically_normal().string());
#endif
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
    candidates.push_back((std::filesystem::path(home) / ".vst3" / kBundleName).string());
  candidates.push_back(std::string("/usr/local/lib/vst3/") + kBundleName);
  candidates.push_back(std::string("/usr/lib/vst3/") + kBundleName);
  return candidates;
}

std::string DefaultPluginPath() {
  for (const std::string& candidate : DefaultPluginCandidates()) {
    std::error_code ec;
    if (std::filesystem::exists(candidate, ec)) return candidate;
  }
  return {};
}

bool IsVst3Path(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();  // "Moravelle.vst3/" from completion
  constexpr std::string_view kExtension = ".vst3";
  return trimmed.size() > kExtension.size() && trimmed.ends_with(kExtension);
}

Status OpenRenderTarget(const RenderOptions& options, std::unique_ptr<RenderTarget>* target,
                        std::string* source) {
  auto inProcess = [&] {
    *source = "the effect compiled into moravelle-render";
    *target = std::make_unique<InProcessTarget>();
    return Status::Ok();
  };
  if (options.inProcess) return inProcess();
  std::string path = options.pluginPath;
  const bool builtIn = path.empty();
  if (builtIn) {
    path = DefaultPluginPath();
#ifndef MORAVELLE_RENDER_BUILD_TREE_PLUGIN
    if (path.empty()) return inProcess();  // a build without the plug-ins
#endif
    if (path.empty()) {
      std::string places;
      for (const std::string& candidate : DefaultPluginCandidates())
        places += (places.empty() ? "" : ", ") + candidate;
      return Status::Error("no Moravelle.vst3 found (looked in " + places + "); use --plugin PATH or --in-process");
    }
  }
  *source = path;
  Status status = OpenBinary(path, target);
  // The built plug-in missing or broken is a build problem with two ways out.
  if (!status.ok() && builtIn)
    return Status::Error(status.message() + " (build the target moravelle_vst3, or use --in-process)");
  return status;
}
