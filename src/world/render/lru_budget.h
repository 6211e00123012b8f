#pragma once
// Values kept by key under a byte budget, the least recently used going first. A value used in
// the current frame is never dropped, so one frame that needs more than the budget still draws
// whole; the excess goes in later frames.

#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <utility>

namespace world::render {

template <class Value>
class LruBudget {
public:
    explicit LruBudget(std::size_t budgetBytes) : budget_(budgetBytes) {}

    // The value kept for key at this version, now used in `frame`; null when none is (a value
    // of another version is dropped: it will not be asked for again).
    Value* Find(std::uint64_t key, std::uint64_t version, std::uint64_t frame) {
        const auto found = index_.find(key);
        if (found == index_.end()) {
            return nullptr;
        }
        const auto entry = found->second;
        if (entry->version != version) {
            Drop(entry);
            return nullptr;
        }
        entry->frame = frame;
        entries_.splice(entries_.begin(), entries_, entry);
        return &entry->value;
    }

    // Keeps value, `bytes` large, for key at version, used in `frame`, then trims.
    Value& Insert(std::uint64_t key, std::uint64_t version, std::size_t bytes, Value value,
                  std::uint64_t frame) {
        if (const auto found = index_.find(key); found != index_.end()) {
            Drop(found->second);
        }
        entries_.push_front(Entry{key, version, bytes, frame, std::move(value)});
        index_.emplace(key, entries_.begin());
        bytes_ += bytes;
        Trim(frame);
        return entries_.front().value;
    }

    // Drops the least recently used values not used in `frame` while over budget.
    void Trim(std::uint64_t frame) {
        while (bytes_ > budget_ && !entries_.empty() && entries_.back().frame != frame) {
            Drop(std::prev(entries_.end()));
        }
    }

    std::size_t Bytes() const { return bytes_; }
    std::size_t Count() const { return entries_.size(); }

private:
    struct Entry {
        std::uint64_t key;
        std::uint64_t version;
        std::size_t bytes;
        std::uint64_t frame;
        Value value;
    };
    using Iterator = typename std::list<Entry>::iterator;

    void Drop(Iterator entry) {
        bytes_ -= entry->bytes;
        index_.erase(entry->key);
        entries_.erase(entry);
    }

    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::list<Entry> entries_;  // most recently used first
    std::unordered_map<std::uint64_t, Iterator> index_;
};

}  // namespace world::render
