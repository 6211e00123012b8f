#pragma once
// The process's string resources (the STRINGTABLE of a resource script), looked up by id.

#include <optional>
#include <string>

#include "app/platform/win32/win_types.h"

namespace win32 {

// Adds or replaces the string resource `id`.
void SetResourceString(UINT id, std::string text);

// The string resource `id`, or nothing when the table has no such id.
std::optional<std::string> FindResourceString(UINT id);

// Forgets every string resource (for tests).
void ClearResourceStrings();

}  // namespace win32
