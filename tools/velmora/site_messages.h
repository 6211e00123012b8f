#pragma once
// What velmora web and serve say while they write a site: the session's lines on stderr,
// prefixed by the command, a progress line a world, and the session's failures as the
// command's.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "progress_line.h"
#include "web/site_session.h"

class SiteMessages {
public:
    // `command` prefixes every line.
    explicit SiteMessages(std::string command);
    SiteMessages(const SiteMessages&) = delete;
    SiteMessages& operator=(const SiteMessages&) = delete;

    // For a session, which must not outlive this.
    web::SessionReports Reports();

private:
    std::string command_;
    std::optional<ProgressLine> progress_;
    std::size_t progressTotal_ = 0;
};

// Runs a command that writes a site, ending it as the command line ends: an unknown world
// with exit 2, a site that cannot be locked or written with exit 1, each in its one line.
int WithSiteFailures(const std::function<int()>& run);
