#pragma once
// The all-users documents folder, the root of the preset library. [any]
//
// Windows: the Public documents folder from the environment; elsewhere the
// user's Documents folder. No trailing separator.

#include <string>

std::string SharedDocumentsFolder();
