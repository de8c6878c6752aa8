#pragma once
// One run of the renderer after its command line is parsed: choose the source,
// set the parameters, render, and put the finished file in place.

#include <cstdint>
#include <cstdio>
#include <string>

#include "render_options.h"
#include "render_status.h"
#include "render_target.h"

struct RenderSummary {
  std::string outputPath;
  int64_t frames = 0;
  int channels = 0;
  int sampleRate = 0;
  std::string presetOrigin;  // where a factory preset came from when not from the library; else empty
};

// Every failure (bad parameter, unreadable input, unwritable output) comes back
// before the output path is touched, which keeps what was there before.
Status RunRenderJob(const RenderOptions& options, RenderTarget& target, RenderSummary* summary);

// Lines naming what is rendered through (none for the in-process effect), then one line
// per parameter: index, name, minimum, maximum and default (plain values) for the
// in-process effect; the same with the parameter ID and the plug-in's display text for
// a VST3 binary; for a VST2 binary index, name, the plug-in's display text with its
// label, and the normalised default.
void PrintParamList(const RenderTarget& target, std::FILE* stream);
