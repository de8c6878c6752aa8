#pragma once
// What a render goes through: the effect compiled into this program (--in-process),
// a VST2 binary named with --plugin, or by default the Moravelle.so built with it.

#include <memory>
#include <string>

#include "render_options.h"
#include "render_status.h"
#include "render_target.h"

// The plug-in binary rendered through when neither --plugin nor --in-process is given;
// empty when this build has none.
std::string DefaultPluginPath();

Status OpenRenderTarget(const RenderOptions& options, std::unique_ptr<RenderTarget>* target);
