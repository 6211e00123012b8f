#include "web/serve/server_module.h"

#include <dlfcn.h>

#include <string>

namespace web::serve {

ServerModule::ServerModule(const std::vector<std::filesystem::path>& candidates) {
    std::string problems;
    for (const std::filesystem::path& candidate : candidates) {
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            problems += std::string("; ") + dlerror();
            continue;
        }
        if (void* symbol = dlsym(module, "VelmoraStartSiteServer")) {
            entry_ = reinterpret_cast<Entry>(symbol);
            return;
        }
        problems += "; " + candidate.string() + " has no site server";
    }
    throw ServerFailure("cannot load the site server" + problems);
}

std::unique_ptr<Server> ServerModule::Start(const ServerOptions& options) const {
    std::string failure;
    std::unique_ptr<Server> server(entry_(options, failure));
    if (!server) {
        throw ServerFailure(failure);
    }
    return server;
}

}  // namespace web::serve
