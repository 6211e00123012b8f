#include "world/sector_store.h"

#include <algorithm>

#include "world/sector_summary.h"

namespace world {

SectorStore::SectorStore(std::size_t budgetBytes, Loader load)
    : budget_(budgetBytes), load_(std::move(load)) {
    const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 2u, 4u);
    for (unsigned t = 0; t < threads; ++t) {
        workers_.emplace_back([this] { Work(); });
    }
}

SectorStore::~SectorStore() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) {
        worker.join();
    }
}

std::size_t SectorStore::SectorBytes() {
    std::size_t bytes = sizeof(ResidentSector);
    for (const int step : LevelSteps) {
        const std::size_t side = static_cast<std::size_t>((GridSide - 1) / step + 1);
        bytes += side * side * sizeof(std::uint16_t) + 64;
    }
    return bytes;
}

void SectorStore::BeginFrame() {
    const std::lock_guard lock(mutex_);
    ++frame_;
}

std::shared_ptr<ResidentSector> SectorStore::Find(int sector) {
    const std::lock_guard lock(mutex_);
    const auto found = resident_.find(sector);
    if (found == resident_.end()) {
        return nullptr;
    }
    found->second.lastSeen = frame_;
    return found->second.sector;
}

std::size_t SectorStore::Want(std::vector<std::pair<double, int>> wanted) {
    std::sort(wanted.begin(), wanted.end());
    std::size_t waiting = 0;
    {
        const std::lock_guard lock(mutex_);
        std::size_t current = 0;
        for (const auto& [sector, entry] : resident_) {
            current += entry.lastSeen == frame_ ? 1 : 0;
        }
        // Room for what this frame cannot do without; beyond it the frame keeps coarser ground.
        const std::size_t room = budget_ / SectorBytes() > current + loading_.size()
                                     ? budget_ / SectorBytes() - current - loading_.size()
                                     : 0;
        queue_.clear();
        for (const auto& [distance, sector] : wanted) {
            if (queue_.size() >= room) {
                break;
            }
            if (!resident_.contains(sector) && !loading_.contains(sector) &&
                !failed_.contains(sector)) {
                queue_.push_back(sector);
            }
        }
        std::reverse(queue_.begin(), queue_.end());
        waiting = queue_.size() + loading_.size();
    }
    wake_.notify_all();
    return waiting;
}

void SectorStore::WaitUntilIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && loading_.empty(); });
}

void SectorStore::Forget(int sector, std::uint64_t version) {
    const std::lock_guard lock(mutex_);
    resident_.erase(sector);
    failed_.erase(sector);
    versions_[sector] = version;
}

std::size_t SectorStore::ResidentBytes() const {
    const std::lock_guard lock(mutex_);
    return resident_.size() * SectorBytes();
}

void SectorStore::EvictFor(std::size_t bytes) {
    while ((resident_.size() + loading_.size()) * SectorBytes() + bytes > budget_) {
        auto oldest = resident_.end();
        for (auto entry = resident_.begin(); entry != resident_.end(); ++entry) {
            if (entry->second.lastSeen != frame_ &&
                (oldest == resident_.end() || entry->second.lastSeen < oldest->second.lastSeen)) {
                oldest = entry;
            }
        }
        if (oldest == resident_.end()) {
            return;
        }
        resident_.erase(oldest);
    }
}

void SectorStore::Work() {
    for (;;) {
        int sector = -1;
        std::uint64_t version = 0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) {
                return;
            }
            sector = queue_.back();
            queue_.pop_back();
            EvictFor(SectorBytes());
            if ((resident_.size() + loading_.size() + 1) * SectorBytes() > budget_) {
                // Everything resident is in use: the frame keeps coarser ground here.
                if (queue_.empty() && loading_.empty()) {
                    idle_.notify_all();
                }
                continue;
            }
            loading_.insert(sector);
            version = versions_[sector];
        }
        auto loaded = std::make_shared<ResidentSector>();
        loaded->version = version;
        const bool read = load_(sector, loaded->samples);
        {
            const std::lock_guard lock(mutex_);
            loading_.erase(sector);
            // A sector that changed while it loaded is asked for again by the next frame.
            if (versions_[sector] == version) {
                if (read) {
                    resident_[sector] = {std::move(loaded), frame_};
                } else {
                    failed_.insert(sector);
                }
            }
            if (queue_.empty() && loading_.empty()) {
                idle_.notify_all();
            }
        }
    }
}

}  // namespace world
