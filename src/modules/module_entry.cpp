#include "modules/module_entry.h"

#include <dlfcn.h>

namespace modules {

void* FindModuleEntry(const std::vector<std::filesystem::path>& candidates, const char* symbol,
                      const std::string& what, std::string& problems) {
    for (const std::filesystem::path& candidate : candidates) {
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            problems += std::string("; ") + dlerror();
            continue;
        }
        if (void* entry = dlsym(module, symbol)) {
            return entry;
        }
        problems += "; " + candidate.string() + " has no " + what;
    }
    return nullptr;
}

}  // namespace modules
