#pragma once
// The Linux stand-in for a module's resource section: tables of embedded files
// that the build generates (resources/png_resources.cmake) and that register
// themselves before main. Lookups search the tables in registration order.

#include <cstddef>

struct EmbeddedResource {
  int id;
  const unsigned char* data;
  size_t size;
};

// Adds a table (static storage, never freed); returns true so that generated
// code can call it from a static initialiser. [any]
bool RegisterEmbeddedResources(const EmbeddedResource* table, int count);
