#pragma once
// For tests: a preset library with the factory presets installed, inside a scratch
// documents folder, the way `cmake --install` lays it out. Point the plug-in at it
// with XDG_DOCUMENTS_DIR (Linux). A test target that includes this defines
// MORAVELLE_FACTORY_PRESET_SOURCE_DIR="${MORAVELLE_FACTORY_PRESET_SOURCE_DIR}".

#include <filesystem>

// Copies every factory preset file into documents/PellionAudio/Moravelle/Presets/Factory
// (creating the folders) and returns that Factory folder.
inline std::filesystem::path InstallFactoryPresets(const std::filesystem::path& documents) {
  const std::filesystem::path factory = documents / "PellionAudio" / "Moravelle" / "Presets" / "Factory";
  std::filesystem::create_directories(factory);
  for (const std::filesystem::directory_entry& entry :
       std::filesystem::directory_iterator(MORAVELLE_FACTORY_PRESET_SOURCE_DIR))
    std::filesystem::copy_file(entry.path(), factory / entry.path().filename(),
                               std::filesystem::copy_options::overwrite_existing);
  return factory;
}
