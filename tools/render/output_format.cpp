#include "output_format.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>

namespace {

struct FormatName {
  const char* name;
  SampleFormat format;
  int subtype;
};

constexpr FormatName kFormats[] = {
    {"float32", SampleFormat::Float32, SF_FORMAT_FLOAT},
    {"float64", SampleFormat::Float64, SF_FORMAT_DOUBLE},
    {"pcm16", SampleFormat::Pcm16, SF_FORMAT_PCM_16},
    {"pcm24", SampleFormat::Pcm24, SF_FORMAT_PCM_24},
};

struct Container {
  const char* extension;
  int major;
};

constexpr Container kContainers[] = {
    {".wav", SF_FORMAT_WAV}, {".w64", SF_FORMAT_W64}, {".aif", SF_FORMAT_AIFF},
    {".aiff", SF_FORMAT_AIFF}, {".caf", SF_FORMAT_CAF}, {".flac", SF_FORMAT_FLAC},
};

std::string LowerExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string extension = path.substr(dot);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

}  // namespace

bool ParseSampleFormat(std::string_view name, SampleFormat* format) {
  for (const FormatName& entry : kFormats) {
    if (name != entry.name) continue;
    *format = entry.format;
    return true;
  }
  return false;
}

Status ChooseFileFormat(const std::string& path, SampleFormat format, int sampleRate, int* sndfileFormat) {
  const std::string extension = LowerExtension(path);
  int major = 0;
  for (const Container& container : kContainers)
    if (extension == container.extension) major = container.major;
  if (major == 0)
    return Status::Error("cannot tell the file type of '" + path +
                         "': use the extension .wav, .w64, .aiff, .caf or .flac");

  int subtype = 0;
  const char* formatName = "";
  for (const FormatName& entry : kFormats) {
    if (entry.format != format) continue;
    subtype = entry.subtype;
    formatName = entry.name;
  }
  SF_INFO info = {};
  info.channels = 2;
  info.samplerate = sampleRate;
  info.format = major | subtype;
  if (!sf_format_check(&info))
    return Status::Error(std::string("format ") + formatName + " cannot be written to " + extension + " files at " +
                         std::to_string(sampleRate) + " Hz");
  *sndfileFormat = info.format;
  return Status::Ok();
}
