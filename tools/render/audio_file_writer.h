#pragma once
// Writes a stereo audio file without ever leaving a half-written file at its path:
// the samples go to a temporary file beside it, and only Commit renames that file
// into place. A writer destroyed without a successful Commit (a failed render, an
// exception) removes its temporary file; so does an interrupt or termination signal
// during the render. Whatever was at the path before stays as it was until Commit.

#include <memory>
#include <string>
#include <vector>

#include "audio_sink.h"

struct sf_private_tag;

class AudioFileWriter : public AudioSink {
 public:
  // 'sndfileFormat' comes from ChooseFileFormat. Fails when the temporary file cannot
  // be created (missing folder, no permission).
  static Status Create(const std::string& path, int sndfileFormat, int sampleRate,
                       std::unique_ptr<AudioFileWriter>* writer);
  ~AudioFileWriter() override;
  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  Status Write(const double* const* channels, int frames) override;
  // Finishes the file and renames it to the destination path.
  Status Commit();

  const std::string& TemporaryPath() const { return temporaryPath_; }

 private:
  AudioFileWriter(sf_private_tag* file, std::string path, std::string temporaryPath);
  void Discard();

  sf_private_tag* file_;
  std::string path_;
  std::string temporaryPath_;
  bool committed_ = false;
  std::vector<double> interleaved_;
};
