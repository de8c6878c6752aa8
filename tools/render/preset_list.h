#pragma once
// --list-presets: the factory catalogue with, for each preset, whether its file is
// installed in the preset library folder.

#include <cstdio>

// A line naming the library folder, then one line per preset: number, category,
// "installed" or "missing", name.
void PrintPresetList(std::FILE* stream);
