#include "headless_catalogue/site_worlds.h"

#include "headless_catalogue/catalogue_error.h"
#include "headless_catalogue/catalogue_session.h"
#include "headless_catalogue/sector_sources.h"

namespace headless_catalogue {

SiteWorlds::SiteWorlds() = default;
SiteWorlds::~SiteWorlds() = default;

CatalogueSession& SiteWorlds::Look() {
    if (!look_) {
        look_ = std::make_unique<CatalogueSession>();
    }
    return *look_;
}

std::vector<std::string> SiteWorlds::Worlds() {
    look_.reset();
    return Look().Worlds();
}

std::string SiteWorlds::Resolve(const std::string& requested) {
    try {
        return Look().ResolveWorld(requested);
    } catch (const CatalogueError& unknown) {
        if (unknown.reason != CatalogueError::Reason::UnknownName) {
            throw;
        }
        throw web::UnknownWorld(unknown.what());
    }
}

std::optional<web::WorldSectors> SiteWorlds::Read(const std::string& world) {
    CatalogueSession& session = Look();
    std::vector<CatalogueSession::SectorFile> files;
    web::WorldSectors read;
    try {
        files = session.SectorFiles(world);
        // Where the sector folders lie, or, for a world with none yet, where the catalogue
        // would look for one.
        read.terrain = files.empty()
                           ? HostPathOf(session.TerrainPath(world))
                           : HostPathOf(files.front().heightmapPath).parent_path().parent_path();
    } catch (const CatalogueError& gone) {
        if (gone.reason != CatalogueError::Reason::UnknownName) {
            throw;
        }
        return std::nullopt;
    }
    read.sources = SectorSourcesOf(files);
    return read;
}

}  // namespace headless_catalogue
