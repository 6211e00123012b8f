#pragma once
// The site server module (server_entry.cpp, with libmicrohttpd and its TLS stack behind it),
// loaded only by `velmora serve`. Where it lies is the program's to say.

#include <filesystem>
#include <memory>
#include <vector>

#include "web/serve/server.h"

namespace web::serve {

class ServerModule {
public:
    // Loads the module from the first of `candidates` that loads and has the entry point. It is
    // never unloaded: a server made by it may live until the process ends. Throws ServerFailure
    // naming what went wrong with each candidate.
    explicit ServerModule(const std::vector<std::filesystem::path>& candidates);

    // A server listening as `options` say; throws ServerFailure when it cannot.
    std::unique_ptr<Server> Start(const ServerOptions& options) const;

private:
    using Entry = Server* (*)(const ServerOptions&, std::string&);
    Entry entry_ = nullptr;
};

}  // namespace web::serve
