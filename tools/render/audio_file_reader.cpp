#include "audio_file_reader.h"

#include <sndfile.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

Status AudioFileReader::Open(const std::string& path, std::unique_ptr<AudioFileReader>* reader) {
  // libsndfile's own messages for these cases are vague; name them first.
  struct stat facts = {};
  if (stat(path.c_str(), &facts) != 0) return Status::Error("cannot open '" + path + "': " + std::strerror(errno));
  if (S_ISDIR(facts.st_mode)) return Status::Error("cannot read '" + path + "': it is a directory");

  SF_INFO info = {};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return Status::Error("cannot read '" + path + "': " + sf_strerror(nullptr));
  if (info.channels < 1 || info.channels > 2) {
    sf_close(file);
    return Status::Error("'" + path + "' has " + std::to_string(info.channels) +
                         " channels; only mono and stereo files can be rendered");
  }
  if (info.samplerate <= 0) {
    sf_close(file);
    return Status::Error("'" + path + "' states no valid sample rate");
  }
  reader->reset(new AudioFileReader(file, path, info.channels, info.samplerate, info.frames));
  return Status::Ok();
}

AudioFileReader::AudioFileReader(sf_private_tag* file, std::string path, int channels, double sampleRate,
                                 int64_t frames)
    : file_(file), path_(std::move(path)), channels_(channels), sampleRate_(sampleRate), frames_(frames) {}

AudioFileReader::~AudioFileReader() { sf_close(file_); }

Status AudioFileReader::Read(double* const* channels, int maxFrames, int* framesRead) {
  *framesRead = 0;
  if (maxFrames <= 0) return Status::Ok();
  interleaved_.resize(static_cast<size_t>(maxFrames) * static_cast<size_t>(channels_));
  const sf_count_t n = sf_readf_double(file_, interleaved_.data(), maxFrames);
  if (n < 0 || (n == 0 && sf_error(file_) != SF_ERR_NO_ERROR))
    return Status::Error("cannot read '" + path_ + "': " + sf_strerror(file_));
  for (sf_count_t f = 0; f < n; ++f) {
    const double* frame = &interleaved_[static_cast<size_t>(f * channels_)];
    channels[0][f] = frame[0];
    channels[1][f] = frame[channels_ - 1];  // mono: the one channel on both sides
  }
  *framesRead = static_cast<int>(n);
  return Status::Ok();
}
