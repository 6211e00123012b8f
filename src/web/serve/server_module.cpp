#include "web/serve/server_module.h"

#include <string>

#include "modules/module_entry.h"

namespace web::serve {

ServerModule::ServerModule(const std::vector<std::filesystem::path>& candidates) {
    std::string problems;
    entry_ = reinterpret_cast<Entry>(
        modules::FindModuleEntry(candidates, "VelmoraStartSiteServer", "site server", problems));
    if (entry_ == nullptr) {
        throw ServerFailure("cannot load the site server" + problems);
    }
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
