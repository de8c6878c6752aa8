#pragma once
// The factory preset files this renderer was built with, for a factory preset that
// is not installed in the user's library: a fresh build renders "DRUM - Deeper"
// before `cmake --install` has copied anything into the documents folder.
//
// The folders, each the parent of a "Factory/" folder and ending in "/", in order:
//   1. an installation's <prefix>/share/moravelle/presets/ for a renderer in
//      <prefix>/bin/ (where a system-wide install puts the factory files);
//   2. the source tree's resources/presets/ that the renderer was compiled from.

#include <string>
#include <vector>

// The two folders for a renderer running from executableFolder (empty: only the
// source tree's).
std::vector<std::string> BuiltFactoryPresetFolders(const std::string& executableFolder);
// The same for this running renderer.
std::vector<std::string> BuiltFactoryPresetFolders();

// The file of factory preset `number` in the first folder that has one; empty when
// no folder has it, or outside 1 to 31.
std::string BuiltFactoryPresetFile(int number, const std::vector<std::string>& folders = BuiltFactoryPresetFolders());
