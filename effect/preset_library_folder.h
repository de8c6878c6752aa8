#pragma once
// Where preset files live. [any]
//
// Windows: the all-users documents folder (CSIDL_COMMON_DOCUMENTS). Linux:
// $XDG_DOCUMENTS_DIR when it is an absolute path, otherwise $HOME/Documents.
// Backslashes become forward slashes. When the platform names no such folder
// (no HOME, no shell folder) every function here returns an empty text: the
// library is disabled, and loads and saves through it do nothing.

#include <string>

// The documents folder, without a trailing separator; empty when there is none.
std::string SharedDocumentsFolder();
// SharedDocumentsFolder() + "/PellionAudio/Moravelle/Presets/" (trailing slash).
std::string PresetLibraryFolder();
// The folder the file dialogs start in: the library without its trailing slash,
// in the platform's own separators, at most 511 characters.
std::string PresetDialogFolder();
