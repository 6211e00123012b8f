#pragma once

#include <afx.h>

// The game's installation directory exactly as the registry holds it; empty when none was found.
// Written once during start-up, read afterwards.
extern CString InstallRoot;

// The order in which the program-wide objects come into being (GCC's init_priority: lower
// first, all before objects without one): the install root, then what is built on it.
inline constexpr int InstallRootInitPriority = 1000;

// Where the registry keeps the installation directory (the key's default value).
inline constexpr const char* InstallRootKey = "SOFTWARE\\MolvaneStudios\\Quarlend";
