#pragma once
// Paths as the platform's loader takes them. The Windows build runs its tests under
// Wine, where the build passes Unix paths: an absolute one is reached through drive
// Z:, and its slashes become backslashes. Elsewhere a path is returned unchanged.

#include <string>

std::string NativePath(std::string path);
