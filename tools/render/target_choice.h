#pragma once
// What a render goes through: the effect compiled into this program (--in-process),
// a plug-in binary named with --plugin (VST3 for a .vst3 bundle or file, VST2
// otherwise), or by default a Moravelle.vst3 bundle found relative to this program:
// next to the executable, then in the build tree it was built in (wherever that tree
// has been moved), then in the installed folders ~/.vst3, /usr/local/lib/vst3 and
// /usr/lib/vst3.

#include <memory>
#include <string>
#include <vector>

#include "render_options.h"
#include "render_status.h"
#include "render_target.h"

// The places searched, in order, for the plug-in rendered through when neither
// --plugin nor --in-process is given.
std::vector<std::string> DefaultPluginCandidates();
// The first of them that exists; empty when none does.
std::string DefaultPluginPath();

// True when path names a VST3 plug-in: a bundle folder or a binary ending in .vst3.
bool IsVst3Path(const std::string& path);

// Opens what the options choose; *source says what that was (a path, or the effect
// compiled in).
Status OpenRenderTarget(const RenderOptions& options, std::unique_ptr<RenderTarget>* target,
                        std::string* source);
