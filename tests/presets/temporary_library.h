#pragma once
// A preset library for one test. On Linux it is a fresh folder that
// XDG_DOCUMENTS_DIR points at; on Windows the library lies where the plug-in
// looks (the common documents folder of the test's Wine prefix), and only what
// the test wrote there is removed again.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "effect/kernel_params.h"
#include "effect/preset_catalogue.h"
#include "effect/preset_library_folder.h"
#include "effect/preset_text.h"

class TemporaryLibrary {
 public:
  explicit TemporaryLibrary(const std::string& tag) {
#if !defined(_WIN32)
    root_ = std::filesystem::temp_directory_path() / ("moravelle-library-" + tag);
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    const char* previous = std::getenv("XDG_DOCUMENTS_DIR");
    hadPrevious_ = previous != nullptr;
    if (hadPrevious_) previous_ = previous;
    setenv("XDG_DOCUMENTS_DIR", root_.string().c_str(), 1);
#endif
    (void)tag;
    folder_ = PresetLibraryFolder();
    std::filesystem::create_directories(std::filesystem::path(folder_) / "Factory");
  }
  ~TemporaryLibrary() {
    for (const std::string& file : written_) std::filesystem::remove(file);
#if !defined(_WIN32)
    std::filesystem::remove_all(root_);
    if (hadPrevious_) setenv("XDG_DOCUMENTS_DIR", previous_.c_str(), 1); else unsetenv("XDG_DOCUMENTS_DIR");
#endif
  }
  TemporaryLibrary(const TemporaryLibrary&) = delete;
  TemporaryLibrary& operator=(const TemporaryLibrary&) = delete;

  // The library folder (trailing slash) the plug-in sees.
  const std::string& Folder() const { return folder_; }
  std::string FactoryPath(int number) const { return folder_ + FactoryPresetRelativePath(number); }

  // Writes bytes as the file of factory preset 'number', or as 'name' in the library.
  std::string WriteFactory(int number, const std::string& bytes) { return WriteFile(FactoryPath(number), bytes); }
  std::string WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    written_.push_back(path);
    return path;
  }
  // Every factory file, each with the defaults but ReverbRoomSize = number / 100,
  // so that a test can tell which one loaded.
  void WriteAllFactoryPresets() {
    for (int n = 1; n <= kFactoryPresetCount; ++n) WriteFactory(n, DefaultsWithRoomSize(n / 100.0));
  }
  static std::string DefaultsWithRoomSize(double roomSize) {
    double values[kKernelParamCount];
    for (int i = 0; i < kKernelParamCount; ++i) values[i] = kKernelParamSpecs[static_cast<size_t>(i)].defaultValue;
    values[kReverbRoomSize] = roomSize;
    return ComposePresetText(values);
  }

 private:
  std::filesystem::path root_;
  std::string folder_;
  std::vector<std::string> written_;
  bool hadPrevious_ = false;
  std::string previous_;
};
