#pragma once
// What a render goes through: the effect compiled into this program (--in-process),
// a plug-in binary named with --plugin (VST3 for a .vst3 bundle or file, VST2
// otherwise), or by default the Moravelle.vst3 bundle built with it.

#include <memory>
#include <string>

#include "render_options.h"
#include "render_status.h"
#include "render_target.h"

// The plug-in rendered through when neither --plugin nor --in-process is given;
// empty when this build has none.
std::string DefaultPluginPath();

// True when path names a VST3 plug-in: a bundle folder or a binary ending in .vst3.
bool IsVst3Path(const std::string& path);

Status OpenRenderTarget(const RenderOptions& options, std::unique_ptr<RenderTarget>* target);
