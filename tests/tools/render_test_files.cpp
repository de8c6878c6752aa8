#include "render_test_files.h"

#include <sndfile.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

bool WriteFloatWav(const std::string& path, int channels, int sampleRate, const std::vector<float>& interleaved) {
  SF_INFO info = {};
  info.channels = channels;
  info.samplerate = sampleRate;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return false;
  const sf_count_t frames = static_cast<sf_count_t>(interleaved.size()) / channels;
  const bool ok = sf_writef_float(file, interleaved.data(), frames) == frames;
  return sf_close(file) == 0 && ok;
}

AudioFileContents ReadAudioFile(const std::string& path) {
  AudioFileContents contents;
  SF_INFO info = {};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return contents;
  contents.channels = info.channels;
  contents.sampleRate = info.samplerate;
  contents.format = info.format;
  contents.samples.resize(static_cast<size_t>(info.frames * info.channels));
  contents.ok = sf_readf_float(file, contents.samples.data(), info.frames) == info.frames;
  sf_close(file);
  return contents;
}

std::vector<float> TestSignal(int channels, int frames, int sampleRate) {
  std::vector<float> out(static_cast<size_t>(channels * frames));
  for (int f = 0; f < frames; ++f) {
    const double t = static_cast<double>(f) / sampleRate;
    for (int c = 0; c < channels; ++c) {
      const double hz = 220.0 * (c + 1) + 37.0 * c;
      double s = 0.4 * std::sin(2 * 3.14159265358979 * hz * t) * std::exp(-3.0 * std::fmod(t, 0.5));
      if (f % (sampleRate / 4) == c * 7) s += 0.5;  // clicks excite the reverb broadly
      out[static_cast<size_t>(f * channels + c)] = static_cast<float>(s);
    }
  }
  return out;
}

namespace {
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted.append("'\\''");
    } else {
      quoted.push_back(c);
    }
  }
  quoted.push_back('\'');
  return quoted;
}
}  // namespace

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

CommandResult RunRenderer(const std::vector<std::string>& arguments, const std::filesystem::path& scratch) {
  return RunRendererAt(MORAVELLE_RENDER_EXE, arguments, scratch);
}

CommandResult RunRendererAt(const std::string& executable, const std::vector<std::string>& arguments,
                            const std::filesystem::path& scratch, const std::string& home) {
  std::string command = home.empty() ? std::string() : "HOME=" + Quoted(home) + " ";
  command.append(Quoted(executable));
  // Appended piece by piece: GCC 12 warns falsely about " " + std::string here.
  for (const std::string& argument : arguments) command.append(" ").append(Quoted(argument));
  const std::filesystem::path out = scratch / "stdout.txt", err = scratch / "stderr.txt";
  command.append(" >").append(Quoted(out.string())).append(" 2>").append(Quoted(err.string()));
  command.append(" </dev/null");
  const int status = std::system(command.c_str());
  CommandResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadWholeFile(out);
  result.err = ReadWholeFile(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return result;
}

int StartRenderer(const std::vector<std::string>& arguments) {
  std::vector<std::string> words = {MORAVELLE_RENDER_EXE};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {1, 2}) posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

