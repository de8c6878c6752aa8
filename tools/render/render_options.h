#pragma once
// The command line of moravelle-render.

#include <optional>
#include <string>
#include <vector>

#include "output_format.h"
#include "render_loop.h"

inline constexpr int kDefaultDemoSampleRate = 44100;
inline constexpr int kDefaultBlockSize = 512;
inline constexpr double kDefaultTailSeconds = 3.0;
inline constexpr double kMaxTailSeconds = 3600.0;

struct RenderOptions {
  std::string inputPath;  // empty: the built-in demo signal
  std::string outputPath;
  std::vector<std::string> paramArguments;  // "Name=value", in command-line order
  std::string preset;  // --preset: a factory preset's name or a preset file; empty: none
  std::optional<int> sampleRate;
  int blockSize = kDefaultBlockSize;
  double tailSeconds = kDefaultTailSeconds;
  SampleFormat format = SampleFormat::Float32;
  Precision precision = Precision::Bits64;
  std::string pluginPath;  // --plugin; empty: the default target (see target_choice.h)
  bool inProcess = false;  // --in-process: the effect compiled into the renderer
  bool listParams = false;
  bool listPresets = false;
  bool quiet = false;
};

struct ParsedCommandLine {
  enum class Outcome { Run, ShowHelp, UsageError } outcome = Outcome::Run;
  std::string text;  // the help text, or the one-line reason for a usage error
};

// Never throws; everything wrong with the command line comes back as UsageError.
ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, RenderOptions* options);
