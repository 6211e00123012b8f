#pragma once
// Sectors found unreadable, reported from the model's threads and read by the window.

#include <mutex>
#include <string>
#include <vector>

namespace world_view {

class SectorReports {
public:
    void Add(const std::string& sector) {
        const std::lock_guard lock(mutex_);
        names_.push_back(sector);
    }
    // Those reported since the last call.
    std::vector<std::string> Take() {
        const std::lock_guard lock(mutex_);
        std::vector<std::string> taken;
        taken.swap(names_);
        return taken;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> names_;
};

}  // namespace world_view
