#pragma once
// Sectors found unreadable, reported from the model's threads and read by the window.

#include <mutex>
#include <string>
#include <vector>

namespace world_view {

struct SectorReport {
    std::string name;
    std::string path;
    std::string reason;
};

class SectorReports {
public:
    void Add(SectorReport report) {
        const std::lock_guard lock(mutex_);
        reports_.push_back(std::move(report));
    }
    // Those reported since the last call.
    std::vector<SectorReport> Take() {
        const std::lock_guard lock(mutex_);
        std::vector<SectorReport> taken;
        taken.swap(reports_);
        return taken;
    }

private:
    std::mutex mutex_;
    std::vector<SectorReport> reports_;
};

}  // namespace world_view
