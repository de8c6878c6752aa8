#pragma once
// Module resources: the images built into the plug-in binary, found by integer
// id. On Windows they are resources of type "PNG" in the module's resource
// section (an .rc file); on Linux the build embeds the same files in a table
// that registers itself at start-up (resources/png_resources.cmake).

#include <cstddef>

// An HMODULE on Windows (null: the program's own executable). On Linux the
// handle is ignored: every table linked into the process is searched.
using ModuleHandle = void*;

// The module that contains the given code or data address (on Windows the DLL
// or EXE; on Linux null). Lets a library find its own resources. [any]
ModuleHandle ModuleContaining(const void* address);

// Points *data and *size at the bytes of the resource of type "PNG" with this
// id; the bytes stay valid while the module is loaded. False when missing. [any]
bool FindPngResource(ModuleHandle module, int resourceId, const unsigned char** data, size_t* size);
