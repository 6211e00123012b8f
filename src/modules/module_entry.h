#pragma once
// A program's own modules (the mesh writers, the site server), loaded only by the command that
// needs them so that the others never carry their libraries. Where a module lies is the
// program's to say: the first of its candidates that loads and has the entry point is taken.

#include <filesystem>
#include <string>
#include <vector>

namespace modules {

// The address of `symbol` in the first of `candidates` that loads and exports it; the module
// is never unloaded. nullptr when none does, `problems` then naming what went wrong with each
// ("; " before each), `what` naming what a module that lacks the symbol does not have.
void* FindModuleEntry(const std::vector<std::filesystem::path>& candidates, const char* symbol,
                      const std::string& what, std::string& problems);

}  // namespace modules
