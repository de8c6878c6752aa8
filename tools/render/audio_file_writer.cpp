#include "audio_file_writer.h"

#include <fcntl.h>
#include <pthread.h>
#include <sndfile.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

// The temporary file a signal handler must remove. Only one writer is open at a
// time in this program; a fixed buffer because the handler may not allocate.
char gPendingTemporary[4096];
volatile std::sig_atomic_t gPendingSet = 0;

extern "C" void RemovePendingAndRaise(int signalNumber) {
  if (gPendingSet) unlink(gPendingTemporary);
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

constexpr int kWatchedSignals[] = {SIGINT, SIGTERM, SIGHUP};
using SignalHandler = void (*)(int);
SignalHandler gPreviousHandlers[std::size(kWatchedSignals)];

void WatchTemporary(const std::string& temporaryPath) {
  if (temporaryPath.size() >= sizeof gPendingTemporary) return;  // too long to guard; still removed normally
  std::memcpy(gPendingTemporary, temporaryPath.c_str(), temporaryPath.size() + 1);
  gPendingSet = 1;
  for (size_t i = 0; i < std::size(kWatchedSignals); ++i) {
    gPreviousHandlers[i] = std::signal(kWatchedSignals[i], RemovePendingAndRaise);
    // A signal the shell told us to ignore (a background job's SIGINT) stays ignored.
    if (gPreviousHandlers[i] == SIG_IGN) std::signal(kWatchedSignals[i], SIG_IGN);
  }
}

void UnwatchTemporary() {
  if (!gPendingSet) return;
  gPendingSet = 0;
  for (size_t i = 0; i < std::size(kWatchedSignals); ++i) std::signal(kWatchedSignals[i], gPreviousHandlers[i]);
}

// Holds the watched signals back for its scope: a signal that arrives between the
// temporary file's creation and the handler that removes it would otherwise leave
// the file behind. A signal held back is delivered when the scope ends.
class WatchedSignalsHeld {
 public:
  WatchedSignalsHeld() {
    sigset_t watched;
    sigemptyset(&watched);
    for (int signalNumber : kWatchedSignals) sigaddset(&watched, signalNumber);
    pthread_sigmask(SIG_BLOCK, &watched, &previous_);
  }
  ~WatchedSignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  WatchedSignalsHeld(const WatchedSignalsHeld&) = delete;
  WatchedSignalsHeld& operator=(const WatchedSignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

// Creates a file that did not exist before, named after the destination; the mode
// is the usual 0666 less the umask, like any new file.
int CreateTemporary(const std::string& path, std::string* temporaryPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    *temporaryPath = path + ".part-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
    const int fd = open(temporaryPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

Status AudioFileWriter::Create(const std::string& path, int sndfileFormat, int sampleRate,
                               std::unique_ptr<AudioFileWriter>* writer) {
  const WatchedSignalsHeld held;
  std::string temporaryPath;
  const int fd = CreateTemporary(path, &temporaryPath);
  if (fd < 0) return Status::Error("cannot write '" + path + "': " + std::strerror(errno));

  SF_INFO info = {};
  info.channels = 2;
  info.samplerate = sampleRate;
  info.format = sndfileFormat;
  SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
  if (file == nullptr) {
    // libsndfile owns the descriptor from here on, also when it fails.
    const std::string reason = sf_strerror(nullptr);
    unlink(temporaryPath.c_str());
    return Status::Error("cannot write '" + path + "': " + reason);
  }
  // Integer formats clip what lies beyond full scale instead of wrapping around.
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  writer->reset(new AudioFileWriter(file, path, temporaryPath));
  WatchTemporary(temporaryPath);
  return Status::Ok();
}

AudioFileWriter::AudioFileWriter(sf_private_tag* file, std::string path, std::string temporaryPath)
    : file_(file), path_(std::move(path)), temporaryPath_(std::move(temporaryPath)) {}

AudioFileWriter::~AudioFileWriter() {
  if (!committed_) Discard();
}

void AudioFileWriter::Discard() {
  if (file_ != nullptr) sf_close(file_);
  file_ = nullptr;
  unlink(temporaryPath_.c_str());
  UnwatchTemporary();
}

Status AudioFileWriter::Write(const double* const* channels, int frames) {
  if (file_ == nullptr) return Status::Error("cannot write '" + path_ + "': the file is already closed");
  if (frames <= 0) return Status::Ok();
  interleaved_.resize(static_cast<size_t>(frames) * 2);
  for (int f = 0; f < frames; ++f) {
    interleaved_[static_cast<size_t>(2 * f)] = channels[0][f];
    interleaved_[static_cast<size_t>(2 * f + 1)] = channels[1][f];
  }
  if (sf_writef_double(file_, interleaved_.data(), frames) != frames)
    return Status::Error("cannot write '" + path_ + "': " + sf_strerror(file_));
  return Status::Ok();
}

Status AudioFileWriter::Commit() {
  if (file_ == nullptr) return Status::Error("cannot write '" + path_ + "': the file is already closed");
  const int closeError = sf_close(file_);
  file_ = nullptr;
  if (closeError != SF_ERR_NO_ERROR) {
    Discard();
    return Status::Error("cannot write '" + path_ + "': " + sf_error_number(closeError));
  }
  if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    Discard();
    return Status::Error("cannot write '" + path_ + "': " + reason);
  }
  committed_ = true;
  UnwatchTemporary();
  return Status::Ok();
}
