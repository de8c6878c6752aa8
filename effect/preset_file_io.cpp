#include "effect/preset_file_io.h"

#include <atomic>
#include <cstdio>
#include <algorithm>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#if defined(_WIN32)

class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~ReadOnlyFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  // The size of a regular file; -1 for anything else (folders do not open here).
  long long RegularFileSize() const {
    if (handle_ == INVALID_HANDLE_VALUE || GetFileType(handle_) != FILE_TYPE_DISK) return -1;
    LARGE_INTEGER size;
    return GetFileSizeEx(handle_, &size) ? size.QuadPart : -1;
  }
  bool ReadAt(long long offset, char* out, size_t count) const {
    LARGE_INTEGER at;
    at.QuadPart = offset;
    if (!SetFilePointerEx(handle_, at, nullptr, FILE_BEGIN)) return false;
    while (count > 0) {
      DWORD got = 0;
      if (!ReadFile(handle_, out, static_cast<DWORD>(count), &got, nullptr) || got == 0) return false;
      out += got;
      count -= got;
    }
    return true;
  }

 private:
  HANDLE handle_;
};

bool FlushAndClose(std::FILE* file) {
  bool ok = std::fflush(file) == 0;
  ok = FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) && ok;
  return std::fclose(file) == 0 && ok;
}
bool RenameOver(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
unsigned long ProcessId() { return GetCurrentProcessId(); }

#else

class ReadOnlyFile {
 public:
  // Non-blocking, so that a named pipe in the file's place cannot hang the caller.
  explicit ReadOnlyFile(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
  ~ReadOnlyFile() {
    if (fd_ >= 0) close(fd_);
  }
  long long RegularFileSize() const {
    struct stat info;
    if (fd_ < 0 || fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<long long>(info.st_size);
  }
  bool ReadAt(long long offset, char* out, size_t count) const {
    while (count > 0) {
      const ssize_t got = pread(fd_, out, count, static_cast<off_t>(offset));
      if (got <= 0) return false;
      out += got;
      count -= static_cast<size_t>(got);
      offset += got;
    }
    return true;
  }

 private:
  int fd_;
};

bool FlushAndClose(std::FILE* file) {
  bool ok = std::fflush(file) == 0;
  ok = fsync(fileno(file)) == 0 && ok;
  return std::fclose(file) == 0 && ok;
}
bool RenameOver(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

#endif

std::atomic<unsigned> temporaryCounter{0};

}  // namespace

PresetReadResult ReadPresetRecord(const std::string& path, std::string& record) {
  record.clear();
  if (path.empty()) return PresetReadResult::kNoFile;
  const ReadOnlyFile file(path);
  const long long size = file.RegularFileSize();
  if (size < 0) return PresetReadResult::kNoFile;
  if (size == 0) return PresetReadResult::kEmptyRecord;
  // The record is the last line: the tail holds all of it, or shows it is too long.
  const long long tailSize = std::min<long long>(size, static_cast<long long>(kPresetRecordLimit) + 1);
  std::vector<char> tail(static_cast<size_t>(tailSize));
  if (!file.ReadAt(size - tailSize, tail.data(), tail.size())) return PresetReadResult::kNoFile;
  size_t lineStart = tail.size();
  while (lineStart > 0 && tail[lineStart - 1] != '\n') --lineStart;
  if (lineStart == tail.size()) return PresetReadResult::kEmptyRecord;
  const bool wholeLine = lineStart > 0 || tailSize == size;
  if (!wholeLine || tail.size() - lineStart > kPresetRecordLimit) return PresetReadResult::kTooLong;
  record.assign(tail.data() + lineStart, tail.size() - lineStart);
  return PresetReadResult::kRecord;
}

bool ReplaceFileWithText(const std::string& path, const std::string& text) {
  if (path.empty()) return false;
  const std::string temporary = path + "." + std::to_string(ProcessId()) + "-" +
                                std::to_string(temporaryCounter.fetch_add(1)) + ".saving";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = FlushAndClose(file);
  if (!written || !closed || !RenameOver(temporary, path)) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}
