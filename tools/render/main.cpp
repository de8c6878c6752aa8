// moravelle-render: renders an audio file, or a built-in demo, through a VST3 or VST2
// plug-in binary (the Moravelle.vst3 bundle by default) or the effect compiled in, as a
// host would, and writes the result. Exit status: 0 done, 1 the render failed,
// 2 the command line was wrong.
#include <cinttypes>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "preset_list.h"
#include "render_job.h"
#include "render_options.h"
#include "target_choice.h"

namespace {

constexpr const char* kProgramName = "moravelle-render";

int Run(int argc, const char* const* argv) {
  RenderOptions options;
  const ParsedCommandLine parsed = ParseCommandLine(argc, argv, &options);
  if (parsed.outcome == ParsedCommandLine::Outcome::ShowHelp) {
    std::fputs(parsed.text.c_str(), stdout);
    return 0;
  }
  if (parsed.outcome == ParsedCommandLine::Outcome::UsageError) {
    std::fprintf(stderr, "%s: %s (see --help)\n", kProgramName, parsed.text.c_str());
    return 2;
  }

  if (options.listPresets) {
    PrintPresetList(stdout);
    return 0;
  }

  std::unique_ptr<RenderTarget> target;
  std::string source;
  Status status = OpenRenderTarget(options, &target, &source);
  if (!status.ok()) {
    std::fprintf(stderr, "%s: %s\n", kProgramName, status.message().c_str());
    return 1;
  }
  if (options.listParams) {
    PrintParamList(*target, stdout);
    return 0;
  }
  RenderSummary summary;
  status = RunRenderJob(options, *target, &summary);
  if (!status.ok()) {
    std::fprintf(stderr, "%s: %s\n", kProgramName, status.message().c_str());
    return 1;
  }
  if (!summary.presetOrigin.empty()) std::printf("%s\n", summary.presetOrigin.c_str());
  std::printf("wrote %s (%" PRId64 " frames, %d channels, %d Hz) through %s\n", summary.outputPath.c_str(),
              summary.frames, summary.channels, summary.sampleRate, source.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {  // out of memory and the like
    std::fprintf(stderr, "%s: %s\n", kProgramName, error.what());
    return 1;
  }
}
