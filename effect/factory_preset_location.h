#pragma once
// Where a factory preset file is read from. The user's library comes first; a
// system-wide installation (a Linux package) cannot reach each user's documents
// folder, so it keeps the factory presets in its shared data folder, and a factory
// file that is missing from the user's library is read from there. [any]
//
// Order, for "Factory/<name>.moravellepreset":
//   1. the user's library folder (PresetLibraryFolder());
//   2. Linux: <prefix>/share/moravelle/presets/ for the nearest folder named "lib"
//      or "lib64" above the loaded plug-in module (<prefix>/lib/vst3/..., <prefix>/lib/vst/...),
//      as the host loaded it;
//   3. the same for the module's real path, when a link led the host to it (a
//      ~/.vst3/Moravelle.vst3 that links to /usr/lib/vst3/Moravelle.vst3).
// Only a file that does not exist at all in the library falls through: a folder or
// an unreadable file in its place is the user's and loads nothing. With no library
// folder (no documents folder) nothing is read from anywhere.

#include <string>
#include <vector>

// The shared folders of steps 2 and 3, each ending in "/", without duplicates.
// Found once per process: the module does not move while it is loaded. Empty on Windows.
const std::vector<std::string>& SharedFactoryPresetFolders();

// The folder that step 2 derives from a module's path: "<prefix>/share/moravelle/presets/"
// for the nearest ancestor named "lib" or "lib64", or empty when there is none.
std::string SharedPresetFolderBesideModule(const std::string& modulePath);

// The path to read factory preset `number` from, given the user's library folder
// (with its trailing slash) and the shared folders to fall back on. Without a library
// folder: empty. Outside 1 to 31: the library folder itself, which loads nothing.
// Bounded: one existence check in the library and at most one per shared folder.
std::string FactoryPresetPath(const std::string& libraryFolder, int number,
                              const std::vector<std::string>& sharedFolders = SharedFactoryPresetFolders());
