#include "site_messages.h"

#include <cstdio>
#include <utility>

#include "command_failure.h"

SiteMessages::SiteMessages(std::string command) : command_(std::move(command)) {}

web::SessionReports SiteMessages::Reports() {
    web::SessionReports reports;
    reports.say = [this](const std::string& line) {
        std::fprintf(stderr, "velmora %s: %s\n", command_.c_str(), line.c_str());
    };
    reports.progress = [this](std::size_t done, std::size_t total) {
        // A line a world.
        if (!progress_ || total != progressTotal_) {
            progress_.reset();
            progress_.emplace(command_ + ": tiles,", total, "tiles");
            progressTotal_ = total;
        }
        progress_->Update(done);
    };
    reports.progressEnded = [this] { progress_.reset(); };
    return reports;
}

int WithSiteFailures(const std::function<int()>& run) {
    try {
        return run();
    } catch (const web::UnknownWorld& unknown) {
        throw CommandFailure(ExitUnknownName, unknown.what());
    } catch (const web::SiteSessionError& failure) {
        throw CommandFailure(ExitFailure, failure.what());
    }
}
