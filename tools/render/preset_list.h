#pragma once
// --list-presets: the factory catalogue with, for each preset, where --preset NAME
// reads it from: the preset library folder, or the factory files the renderer was
// built with.

#include <cstdio>

// Lines naming the library folder and the built factory folders, then one line per
// preset: number, category, "installed" (in the library), "built" (not installed;
// read from a built factory file) or "missing", name.
void PrintPresetList(std::FILE* stream);
