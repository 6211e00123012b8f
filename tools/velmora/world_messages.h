#pragma once
// What the commands that draw the whole world (render --all, flyover) say of its sectors: the
// first pass's progress, sectors left out, unreadable sectors (a failure, or with
// --skip-unreadable drawn as holes, the first few named) and a cache too small for a frame.

#include <cstddef>
#include <optional>
#include <string>

#include "headless_catalogue/catalogue_world.h"
#include "progress_line.h"

class WorldMessages {
public:
    // `command` prefixes every line.
    WorldMessages(std::string command, bool skipUnreadable);
    WorldMessages(const WorldMessages&) = delete;
    WorldMessages& operator=(const WorldMessages&) = delete;

    // For the world, which must not outlive this.
    headless_catalogue::WorldReports Reports();

    // Once the world is made: the sectors left out, then the unreadable ones found so far.
    // Throws CommandFailure (exit 1) for an unreadable sector unless skipUnreadable.
    void SayFirstPass(headless_catalogue::CatalogueWorld& world);

    // At the end: how many more unreadable sectors were drawn as holes than were named.
    void SayRemaining(headless_catalogue::CatalogueWorld& world);

private:
    // Unreadable sectors named one a line; the rest are counted in one line at the end.
    static constexpr std::size_t NamedUnreadable = 5;

    void SayUnreadable(const std::string& path, const std::string& reason);

    std::string command_;
    bool skipUnreadable_;
    std::size_t named_ = 0;
    std::size_t unnamed_ = 0;
    std::optional<ProgressLine> progress_;
};
