#pragma once
// The catalogue's worlds as a web site finds them.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "web/world_catalogue.h"

namespace headless_catalogue {

class CatalogueSession;

// Each look is a new CatalogueSession: the install root read again and the worlds listed
// anew. Throws CatalogueError when no game is installed.
class SiteWorlds : public web::WorldCatalogue {
public:
    SiteWorlds();
    ~SiteWorlds() override;
    SiteWorlds(const SiteWorlds&) = delete;
    SiteWorlds& operator=(const SiteWorlds&) = delete;

    std::vector<std::string> Worlds() override;
    std::string Resolve(const std::string& requested) override;
    std::optional<web::WorldSectors> Read(const std::string& world) override;

private:
    CatalogueSession& Look();

    std::unique_ptr<CatalogueSession> look_;
};

}  // namespace headless_catalogue
