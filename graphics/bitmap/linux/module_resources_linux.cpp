// Module resources on Linux: tables of embedded files registered at start-up.
#include <mutex>
#include <vector>

#include "graphics/bitmap/embedded_resources.h"
#include "graphics/bitmap/module_resources.h"

namespace {

struct Registry {
  std::mutex lock;
  std::vector<EmbeddedResource> entries;
};

// Built on first use, so registration from any static initialiser is safe.
Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

bool RegisterEmbeddedResources(const EmbeddedResource* table, int count) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  for (int i = 0; i < count; ++i) registry.entries.push_back(table[i]);
  return true;
}

ModuleHandle ModuleContaining(const void*) { return nullptr; }

bool FindPngResource(ModuleHandle, int resourceId, const unsigned char** data, size_t* size) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> hold(registry.lock);
  for (const EmbeddedResource& entry : registry.entries) {
    if (entry.id != resourceId) continue;
    *data = entry.data;
    *size = entry.size;
    return true;
  }
  return false;
}
