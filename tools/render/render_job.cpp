#include "render_job.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "audio_file_reader.h"
#include "audio_file_writer.h"
#include "demo_signal.h"
#include "param_assignment.h"
#include "preset_choice.h"
#include "progress_bar.h"
#include "render_loop.h"

namespace {

Status OpenSource(const RenderOptions& options, std::unique_ptr<AudioSource>* source) {
  if (options.inputPath.empty()) {
    const int rate = options.sampleRate.value_or(kDefaultDemoSampleRate);
    *source = std::make_unique<BufferSource>(SynthesizeDemo(rate), rate);
    return Status::Ok();
  }
  std::unique_ptr<AudioFileReader> reader;
  Status status = AudioFileReader::Open(options.inputPath, &reader);
  if (!status.ok()) return status;
  // The effect runs at the file's own rate; this program does not resample.
  if (options.sampleRate && *options.sampleRate != static_cast<int>(reader->SampleRate()))
    return Status::Error("--sample-rate " + std::to_string(*options.sampleRate) + " differs from the " +
                         std::to_string(static_cast<int>(reader->SampleRate())) + " Hz of '" + options.inputPath +
                         "' (files are rendered at their own rate; leave --sample-rate out)");
  *source = std::move(reader);
  return Status::Ok();
}

}  // namespace

Status RunRenderJob(const RenderOptions& options, RenderTarget& target, RenderSummary* summary) {
  PresetStep presetStep;
  PresetChoice preset;
  if (!options.preset.empty()) {
    Status status = ResolvePresetArgument(options.preset, &preset);
    if (!status.ok()) return status;
    presetStep = [&preset](RenderTarget& t) { return ApplyPresetChoice(preset, t); };
  }
  Status status = ApplyParamArguments(options.paramArguments, target, presetStep);
  if (!status.ok()) return status;

  std::unique_ptr<AudioSource> source;
  status = OpenSource(options, &source);
  if (!status.ok()) return status;
  const int sampleRate = static_cast<int>(source->SampleRate());

  int sndfileFormat = 0;
  status = ChooseFileFormat(options.outputPath, options.format, sampleRate, &sndfileFormat);
  if (!status.ok()) return status;

  std::unique_ptr<AudioFileWriter> writer;
  status = AudioFileWriter::Create(options.outputPath, sndfileFormat, sampleRate, &writer);
  if (!status.ok()) return status;

  RenderSettings settings;
  settings.blockSize = options.blockSize;
  settings.tailFrames = std::llround(options.tailSeconds * sampleRate);
  settings.precision = options.precision;
  ProgressBar bar(stderr, !options.quiet);
  int64_t frames = 0;
  status = RenderThrough(target, *source, *writer, settings,
                         [&bar](int64_t done, int64_t total) { bar.Update(done, total); }, &frames);
  bar.Finish();
  if (!status.ok()) return status;  // the writer's destructor removes its temporary file

  status = writer->Commit();
  if (!status.ok()) return status;
  *summary = {options.outputPath, frames, RenderTarget::kChannels, sampleRate, preset.origin};
  return Status::Ok();
}

namespace {

void PrintSummary(const RenderTarget& target, std::FILE* stream) {
  const std::string summary = target.Summary();
  for (size_t begin = 0; begin < summary.size();) {
    const size_t end = std::min(summary.find('\n', begin), summary.size());
    std::fprintf(stream, "# %s\n", summary.substr(begin, end - begin).c_str());
    begin = end + 1;
  }
}

}  // namespace

void PrintParamList(const RenderTarget& target, std::FILE* stream) {
  PrintSummary(target, stream);
  const bool withIds = target.ParamCount() > 0 && target.DescribeParam(0).id.has_value();
  if (target.Units() == ParamUnits::Plain && withIds) {
    // A VST3 binary: plain ranges from its controller, its parameter IDs and its own display text.
    std::fprintf(stream, "%5s  %-10s  %-24s %10s %10s %10s  %s\n", "index", "id", "name", "minimum", "maximum",
                 "default", "display");
    for (int i = 0; i < target.ParamCount(); ++i) {
      const TargetParamInfo info = target.DescribeParam(i);
      std::fprintf(stream, "%5d  0x%08x  %-24s %10g %10g %10g  %s\n", i, info.id.value_or(0), info.name.c_str(),
                   info.minimum, info.maximum, info.defaultValue, info.display.c_str());
    }
    return;
  }
  if (target.Units() == ParamUnits::Plain) {
    std::fprintf(stream, "%5s  %-24s %10s %10s %10s\n", "index", "name", "minimum", "maximum", "default");
    for (int i = 0; i < target.ParamCount(); ++i) {
      const TargetParamInfo info = target.DescribeParam(i);
      std::fprintf(stream, "%5d  %-24s %10g %10g %10g\n", i, info.name.c_str(), info.minimum, info.maximum,
                   info.defaultValue);
    }
    return;
  }
  // A VST2 binary knows its parameters only as the host sees them: a text and 0..1.
  std::fprintf(stream, "%5s  %-24s %-22s %10s\n", "index", "name", "display", "default");
  for (int i = 0; i < target.ParamCount(); ++i) {
    const TargetParamInfo info = target.DescribeParam(i);
    std::fprintf(stream, "%5d  %-24s %-22s %10.6g\n", i, info.name.c_str(), info.display.c_str(), info.defaultValue);
  }
}
