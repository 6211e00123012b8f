// The site server module's entry point.

#include <string>

#include "web/serve/site_server.h"

namespace web::serve {

// Ownership passes to the caller, who holds the server in a unique_ptr at once; what goes wrong
// comes back as text, since no exception crosses the module's edge.
extern "C" Server* VelmoraStartSiteServer(const ServerOptions& options,
                                          std::string& failure) noexcept {
    try {
        return new SiteServer(options);
    } catch (const std::exception& problem) {
        failure = problem.what();
    }
    return nullptr;
}

}  // namespace web::serve
