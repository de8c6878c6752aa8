#pragma once
// Reads a mono or stereo audio file through libsndfile; mono feeds both channels.

#include <memory>
#include <string>
#include <vector>

#include "audio_source.h"

struct sf_private_tag;

class AudioFileReader : public AudioSource {
 public:
  // Opens 'path'; fails with a one-line reason for missing or unreadable files,
  // formats libsndfile does not know, and files with more than two channels.
  static Status Open(const std::string& path, std::unique_ptr<AudioFileReader>* reader);
  ~AudioFileReader() override;
  AudioFileReader(const AudioFileReader&) = delete;
  AudioFileReader& operator=(const AudioFileReader&) = delete;

  double SampleRate() const override { return sampleRate_; }
  int64_t FrameCount() const override { return frames_; }
  int FileChannels() const { return channels_; }
  Status Read(double* const* channels, int maxFrames, int* framesRead) override;

 private:
  AudioFileReader(sf_private_tag* file, std::string path, int channels, double sampleRate, int64_t frames);

  sf_private_tag* file_;
  std::string path_;
  int channels_;
  double sampleRate_;
  int64_t frames_;
  std::vector<double> interleaved_;
};
