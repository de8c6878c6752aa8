#pragma once
// Files and processes for the renderer's command-line tests: a scratch folder per
// test, audio files written and read with libsndfile directly (not through the
// renderer's own code), and the renderer run as a child process.

#include <filesystem>
#include <string>
#include <vector>

struct AudioFileContents {
  bool ok = false;
  int channels = 0;
  int sampleRate = 0;
  int format = 0;               // libsndfile format code
  std::vector<float> samples;   // interleaved
  long Frames() const { return channels > 0 ? static_cast<long>(samples.size()) / channels : 0; }
};

// Float32 WAV with 'channels' interleaved channels.
bool WriteFloatWav(const std::string& path, int channels, int sampleRate, const std::vector<float>& interleaved);
AudioFileContents ReadAudioFile(const std::string& path);

// A deterministic test signal: decaying tones and clicks, different on every channel.
std::vector<float> TestSignal(int channels, int frames, int sampleRate);

struct CommandResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs the renderer with these arguments; its output streams are captured in 'scratch'.
CommandResult RunRenderer(const std::vector<std::string>& arguments, const std::filesystem::path& scratch);
// The same for a copy of the renderer at another place, with HOME set when home is not empty.
CommandResult RunRendererAt(const std::string& executable, const std::vector<std::string>& arguments,
                            const std::filesystem::path& scratch, const std::string& home = {});

// Starts the renderer without waiting; its output streams go to /dev/null. Returns
// the child's process id, or -1.
int StartRenderer(const std::vector<std::string>& arguments);

std::string ReadWholeFile(const std::filesystem::path& path);
