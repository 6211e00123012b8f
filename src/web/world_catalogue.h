#pragma once
// The game's worlds as a site finds them: their names, a world named as a user names it, and
// each world's sectors as they are now. The catalogue itself lies above the web library, which
// reaches it only through this.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "world/sector_source.h"

namespace web {

// A world named that the catalogue does not list; says so in one line, naming the worlds there
// are.
struct UnknownWorld : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct WorldSectors {
    std::vector<world::SectorSource> sources;
    // The folder of its sector folders, or where the catalogue would look for one while it has
    // none.
    std::filesystem::path terrain;
};

// Throws std::runtime_error, saying why, when the catalogue cannot be read at all (no game).
class WorldCatalogue {
public:
    virtual ~WorldCatalogue() = default;

    // Looks at the catalogue anew: the world names in its order. Resolve and Read answer from
    // the last look, or from a first one.
    virtual std::vector<std::string> Worlds() = 0;
    // The world `requested` names, as listed or as its folder; throws UnknownWorld when no
    // world (or more than one) matches.
    virtual std::string Resolve(const std::string& requested) = 0;
    // The world's sectors; nothing when the catalogue no longer lists it.
    virtual std::optional<WorldSectors> Read(const std::string& world) = 0;
};

}  // namespace web
