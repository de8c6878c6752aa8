#include "effect/shared_documents_folder.h"

#include <cstdlib>

std::string SharedDocumentsFolder() {
#if defined(_WIN32)
  const char* publicFolder = std::getenv("PUBLIC");
  return publicFolder != nullptr && publicFolder[0] != '\0' ? std::string(publicFolder) + "\\Documents"
                                                            : std::string("C:\\Users\\Public\\Documents");
#else
  const char* home = std::getenv("HOME");
  return home != nullptr && home[0] != '\0' ? std::string(home) + "/Documents" : std::string("/tmp");
#endif
}
