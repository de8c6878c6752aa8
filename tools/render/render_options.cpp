#include "render_options.h"

#include <CLI/CLI.hpp>

#include <cstdio>

#include "param_assignment.h"
#include "target_choice.h"

namespace {

std::string HelpFooter() {
  std::string text =
      "The render goes through a plug-in binary loaded as a DAW loads it: --plugin PATH (a VST3\n"
      "plug-in when PATH is a .vst3 bundle folder or file, else a VST2 binary), or by default\n"
      "a Moravelle.vst3 bundle found next to this program, in the build tree it was built in,\n"
      "or in ~/.vst3, /usr/local/lib/vst3 or /usr/lib/vst3, in that order" +
      (DefaultPluginPath().empty() ? std::string(" (none found now)") : "\n(now " + DefaultPluginPath() + ")") +
      ". --in-process uses the\n"
      "effect compiled into this program instead. The 64-bit path uses the plug-in's 64-bit\n"
      "processing when it offers it (VST3 64-bit samples, VST2 processDoubleReplacing), else\n"
      "32-bit buffers; --precision 32 forces 32 bits.\n"
      "--param values: in-process and for VST3, plain values in each parameter's own range\n"
      "(checked; a VST3 plug-in's controller converts them and gives the ranges).\n"
      "For a VST2 binary that converts text to values (Moravelle.so does), the number is handed\n"
      "to it as text and read in its own units: for Moravelle the same plain values, and a value\n"
      "it clamps to its range is an error. For any other VST2 binary it is the normalised value 0..1.\n"
      "--list-params shows which applies, with each parameter's current display text.\n"
      "--preset NAME selects a factory preset by its name (--list-presets) through the\n"
      "plug-in's PresetSelector, so the plug-in loads it from its preset library folder; one\n"
      "not installed there is read from the factory files this program was built with.\n"
      "--preset FILE reads a preset file here and sets its values as a host would. A preset\n"
      "carries its own " + std::string(kMasterSwitchParam) + " and starts from the effect's defaults; --param values\n"
      "apply after it.\n"
      "Unless a --param names " + std::string(kMasterSwitchParam) +
      " or a preset is given, Moravelle (never a third-party\nplug-in) is switched on "
      "with these settings first, so that a render is audibly a\nreverb; any --param overrides them:\n ";
  for (const NamedValue& value : AudibleDefaults()) {
    char item[64];
    std::snprintf(item, sizeof item, " %s=%g", value.name, value.plain);
    text += item;
  }
  text +=
      "\nWith --param " + std::string(kMasterSwitchParam) +
      "=... the effect starts from its own defaults instead\n"
      "(" + kMasterSwitchParam + "=0 passes the input through unchanged).\n"
      "Without INPUT a built-in demo (drum hits and plucked notes, 4 seconds) is rendered.\n"
      "The output file type follows its extension: .wav, .w64, .aiff, .caf or .flac.\n"
      "Exit status: 0 written, 1 the render failed (the output is left as it was),\n"
      "2 the command line was wrong.";
  return text;
}

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, RenderOptions* options) {
  CLI::App app("Renders an audio file, or a built-in demo signal, through the Moravelle reverb.",
               "moravelle-render");
  app.footer(HelpFooter());

  std::string formatName = "float32";
  int precisionBits = 64;
  int sampleRate = 0;
  app.add_option("INPUT", options->inputPath, "Mono or stereo audio file; omit it for the demo signal");
  app.add_option("-o,--output", options->outputPath, "Output file (written whole or not at all)");
  app.add_option("--param", options->paramArguments, "Set a parameter by name to a plain value: Name=value")
      ->type_name("NAME=VALUE")
      ->allow_extra_args(false);
  CLI::Option* rateOption =
      app.add_option("--sample-rate", sampleRate, "Sample rate of the demo signal in Hz (default 44100); "
                                                   "a file is rendered at its own rate")
          ->check(CLI::Range(1000, 768000));
  app.add_option("--block-size", options->blockSize, "Frames per host block")
      ->check(CLI::Range(1, 1 << 16))
      ->capture_default_str();
  char defaultTail[32];
  std::snprintf(defaultTail, sizeof defaultTail, "%g", kDefaultTailSeconds);
  std::string tailText = defaultTail;
  app.add_option("--tail", tailText, "Seconds of silence rendered after the input, for the reverb's tail (0 to 3600)")
      ->type_name("SECONDS")
      ->capture_default_str();
  app.add_option("--format", formatName, std::string("Output samples: ") + kSampleFormatChoices)
      ->capture_default_str();
  app.add_option("--precision", precisionBits, "Processing path: 64 or 32 (bits per sample)")
      ->capture_default_str();
  CLI::Option* pluginOption =
      app.add_option("--plugin", options->pluginPath,
                     "Render through this plug-in: a VST3 bundle or file (.vst3), else a VST2 binary (.so)")
          ->type_name("PATH");
  app.add_flag("--in-process", options->inProcess, "Render through the effect compiled into this program")
      ->excludes(pluginOption);
  app.add_flag("--list-params", options->listParams,
               "Print each parameter: index, name, range and default (in-process), also ID and display "
               "text (VST3), or display text and normalised default (VST2)");
  app.add_option("--preset", options->preset,
                 "Start from a preset: a factory preset's name (\"DRUM - Deeper\") or a preset file")
      ->type_name("NAME|FILE");
  app.add_flag("--list-presets", options->listPresets,
               "Print the factory presets (number, category, name) and where each one is read from");
  app.add_flag("-q,--quiet", options->quiet, "No progress bar");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    return {ParsedCommandLine::Outcome::ShowHelp, app.help()};
  } catch (const CLI::ParseError& error) {
    return {ParsedCommandLine::Outcome::UsageError, error.what()};
  }

  if (rateOption->count() > 0) options->sampleRate = sampleRate;
  if (!ParsePlainNumber(tailText, &options->tailSeconds) || options->tailSeconds < 0 ||
      options->tailSeconds > kMaxTailSeconds)
    return {ParsedCommandLine::Outcome::UsageError, "--tail '" + tailText + "' is not a number of seconds from 0 to " +
                                                      std::to_string(static_cast<int>(kMaxTailSeconds))};
  if (!ParseSampleFormat(formatName, &options->format))
    return {ParsedCommandLine::Outcome::UsageError,
            "unsupported --format '" + formatName + "' (choose " + kSampleFormatChoices + ")"};
  if (precisionBits != 32 && precisionBits != 64)
    return {ParsedCommandLine::Outcome::UsageError, "--precision must be 32 or 64"};
  options->precision = precisionBits == 32 ? Precision::Bits32 : Precision::Bits64;
  if (!options->listParams && !options->listPresets && options->outputPath.empty())
    return {ParsedCommandLine::Outcome::UsageError, "no output file: give one with -o OUTPUT"};
  return {};
}
