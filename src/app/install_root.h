#pragma once

#include <afx.h>

// The game's installation directory exactly as the registry holds it; empty when none was found.
// Written once during start-up, read afterwards.
extern CString InstallRoot;

// Where the registry keeps the installation directory (the key's default value).
inline constexpr const char* InstallRootKey = "SOFTWARE\\MolvaneStudios\\Quarlend";
