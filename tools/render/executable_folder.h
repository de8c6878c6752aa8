#pragma once
// The folder of the running moravelle-render, from which it finds what it was built
// or installed with: the plug-in bundle and the factory preset files.

#include <filesystem>

// Empty when the system does not say.
std::filesystem::path ExecutableFolder();
