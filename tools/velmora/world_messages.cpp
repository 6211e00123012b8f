#include "world_messages.h"

#include <cstdio>
#include <utility>

#include "command_failure.h"
#include "text/printable_name.h"
#include "world_layout.h"

WorldMessages::WorldMessages(std::string command, bool skipUnreadable)
    : command_(std::move(command)), skipUnreadable_(skipUnreadable) {}

headless_catalogue::WorldReports WorldMessages::Reports() {
    headless_catalogue::WorldReports reports;
    reports.progress = [this](std::size_t done, std::size_t total) {
        if (!progress_) {
            progress_.emplace(command_ + ": world summary,", total);
        }
        progress_->Update(done);
    };
    reports.unreadable = [this](const std::string& path, const std::string& reason) {
        SayUnreadable(path, reason);
    };
    reports.cacheTooSmall = [this](std::size_t missing) {
        std::fprintf(stderr,
                     "velmora %s: %zu sectors in view do not fit the terrain cache; drawn coarser "
                     "(a larger --cache-mb draws them in full)\n",
                     command_.c_str(), missing);
    };
    return reports;
}

void WorldMessages::SayFirstPass(headless_catalogue::CatalogueWorld& world) {
    progress_.reset();
    SayUnplaced(command_, world.Model().Unplaced());
    if (!world.Model().SharedPlaces().empty()) {
        std::string names;
        for (const world::SharedPlace& shared : world.Model().SharedPlaces()) {
            names += (names.empty() ? "" : ", ") + text::PrintableName(shared.name) + " (" +
                     text::PrintableName(shared.drawn) + " is drawn there)";
        }
        std::fprintf(stderr, "velmora %s: sectors whose place another name gives, left out: %s\n",
                     command_.c_str(), names.c_str());
    }
    world.TellUnreadable();
}

void WorldMessages::SayRemaining(headless_catalogue::CatalogueWorld& world) {
    world.TellUnreadable();
    if (unnamed_ > 0) {
        std::fprintf(stderr, "velmora %s: %zu more unreadable %s drawn as holes\n",
                     command_.c_str(), unnamed_, unnamed_ == 1 ? "sector" : "sectors");
        unnamed_ = 0;
    }
}

void WorldMessages::SayUnreadable(const std::string& path, const std::string& reason) {
    const std::string what = "cannot read " + text::PrintableName(path) + ": " + reason;
    if (!skipUnreadable_) {
        throw CommandFailure(ExitFailure, what + " (--skip-unreadable draws it as a hole)");
    }
    if (named_ < NamedUnreadable) {
        std::fprintf(stderr, "velmora %s: %s; drawn as a hole\n", command_.c_str(), what.c_str());
        ++named_;
    } else {
        ++unnamed_;
    }
}
