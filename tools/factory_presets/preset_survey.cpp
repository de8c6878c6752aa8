#include "preset_survey.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "decay_measures.h"
#include "tools/render/demo_signal.h"
#include "tools/render/in_process_target.h"
#include "tools/render/param_assignment.h"
#include "tools/render/preset_choice.h"

namespace {

constexpr int kBlockSize = 512;
// Room size, panorama and pre-delay glide from 0 after a reset; half a second of
// silence lets them settle before the impulse.
constexpr int kSettleFrames = 22050;
constexpr double kImpulseLevel = 0.5;  // the demo's peak: the clippers see a realistic level
constexpr size_t kCentroidWindow = 32768;
constexpr double kDemoTailSeconds = 3.0;
constexpr double kSilentRatio = 1e-12;  // -120 dB

// Energy of 'frames' frames from 'start'.
double Energy(const StereoBuffer& buffer, size_t start, size_t frames) {
  double sum = 0.0;
  for (const auto& channel : buffer.channels)
    for (size_t i = start; i < start + frames && i < channel.size(); ++i) sum += channel[i] * channel[i];
  return sum;
}

double Energy(const StereoBuffer& buffer) { return Energy(buffer, 0, buffer.channels[0].size()); }

// Renders 'input' (zero-padded to 'frames') through the target. With 'stopWhenSilent'
// the render ends early, at a whole second, once a second's energy has fallen below
// kSilentDb of everything before it: the rest cannot change the measurements.
StereoBuffer Render(RenderTarget& target, const StereoBuffer& input, size_t frames, bool stopWhenSilent = false) {
  target.Prepare(kSurveySampleRate, kBlockSize);
  StereoBuffer output;
  for (auto& channel : output.channels) channel.assign(frames, 0.0);
  std::vector<double> in[2] = {std::vector<double>(kBlockSize), std::vector<double>(kBlockSize)};
  const size_t second = static_cast<size_t>(kSurveySampleRate);
  for (size_t done = 0; done < frames;) {
    if (stopWhenSilent && done > input.channels[0].size() + second && done % second < kBlockSize &&
        Energy(output, done - second, second) < kSilentRatio * Energy(output, 0, done - second)) {
      for (auto& channel : output.channels) channel.resize(done);
      break;
    }
    const int n = static_cast<int>(std::min<size_t>(kBlockSize, frames - done));
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < n; ++i)
        in[c][i] = done + i < input.channels[c].size() ? input.channels[c][done + i] : 0.0;
    double* inputs[2] = {in[0].data(), in[1].data()};
    double* outputs[2] = {output.channels[0].data() + done, output.channels[1].data() + done};
    target.Process64(inputs, outputs, n);
    done += static_cast<size_t>(n);
  }
  return output;
}

Status Configure(RenderTarget& target, const PresetChoice& preset, const std::vector<std::string>& arguments) {
  return ApplyParamArguments(arguments, target, [&preset](RenderTarget& t) { return ApplyPresetChoice(preset, t); });
}

double PeakDb(const StereoBuffer& buffer) {
  double peak = 0.0;
  for (const auto& channel : buffer.channels)
    for (double x : channel) peak = std::max(peak, std::fabs(x));
  return 20.0 * std::log10(std::max(peak, 1e-12));
}

}  // namespace

Status SurveyPreset(const std::string& path, PresetSurveyRow* row) {
  PresetChoice preset;
  Status status = ResolvePresetArgument(path, &preset);
  if (!status.ok()) return status;

  InProcessTarget impulseTarget;
  status = Configure(impulseTarget, preset, {"AmpMainBlend=1"});
  if (!status.ok()) return status;
  StereoBuffer impulse;
  for (auto& channel : impulse.channels) {
    channel.assign(kSettleFrames + 1, 0.0);
    channel[kSettleFrames] = kImpulseLevel;
  }
  const size_t irFrames = static_cast<size_t>(kSurveyImpulseSeconds * kSurveySampleRate);
  const StereoBuffer rendered = Render(impulseTarget, impulse, kSettleFrames + irFrames, true);
  std::vector<std::vector<double>> response;
  for (const auto& channel : rendered.channels) response.emplace_back(channel.begin() + kSettleFrames, channel.end());
  const std::vector<double> curve = EnergyDecayCurveDb(response);
  row->reverbTimeSeconds = ReverbTimeSeconds(curve, kSurveySampleRate);
  // The tail: what follows the first 5 dB of the decay.
  const size_t tailStart = DecayPoint(curve, -5.0).value_or(0);
  row->tailCentroidHz = SpectralCentroidHz(response, tailStart, kCentroidWindow, kSurveySampleRate);
  row->tailSideToMidDb = SideToMidDb(response[0], response[1], tailStart);

  InProcessTarget demoTarget;
  status = Configure(demoTarget, preset, {});
  if (!status.ok()) return status;
  const StereoBuffer demo = SynthesizeDemo(kSurveySampleRate);
  const StereoBuffer output = Render(demoTarget, demo, demo.channels[0].size() +
                                                          static_cast<size_t>(kDemoTailSeconds * kSurveySampleRate));
  row->demoPeakDbfs = PeakDb(output);
  row->demoLevelDb = 10.0 * std::log10(std::max(Energy(output), 1e-300) / Energy(demo));
  return Status::Ok();
}

namespace {

std::string ReverbTimeText(const PresetSurveyRow& row) {
  char text[32];
  if (row.reverbTimeSeconds)
    std::snprintf(text, sizeof text, "%.2f", *row.reverbTimeSeconds);
  else
    std::snprintf(text, sizeof text, "> %.0f", kSurveyImpulseSeconds);
  return text;
}

}  // namespace

std::string SurveyMarkdownTable(const std::vector<PresetSurveyRow>& rows) {
  std::string table =
      "| # | preset | RT60 (s) | tail centroid (Hz) | tail side/mid (dB) | demo peak (dBFS) | demo level (dB) |\n"
      "|---:|---|---:|---:|---:|---:|---:|\n";
  for (const PresetSurveyRow& row : rows) {
    char line[256];
    std::snprintf(line, sizeof line, "| %d | %s | %s | %.0f | %.1f | %.1f | %+.1f |\n", row.number, row.name.c_str(),
                  ReverbTimeText(row).c_str(), row.tailCentroidHz, row.tailSideToMidDb, row.demoPeakDbfs,
                  row.demoLevelDb);
    table += line;
  }
  return table;
}

std::string SurveyTextTable(const std::vector<PresetSurveyRow>& rows) {
  char line[256];
  std::snprintf(line, sizeof line, "%3s  %-30s %8s %10s %10s %10s %10s\n", "#", "preset", "RT60 s", "centroid",
                "side/mid", "peak dBFS", "level dB");
  std::string table = line;
  for (const PresetSurveyRow& row : rows) {
    std::snprintf(line, sizeof line, "%3d  %-30s %8s %10.0f %10.1f %10.1f %+10.1f\n", row.number, row.name.c_str(),
                  ReverbTimeText(row).c_str(), row.tailCentroidHz, row.tailSideToMidDb, row.demoPeakDbfs,
                  row.demoLevelDb);
    table += line;
  }
  return table;
}
