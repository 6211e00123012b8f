#include "app/platform/win32/item_list.h"

#include <algorithm>

#include "app/platform/win32/item_collation.h"

namespace {

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

int ItemList::Add(std::string_view text) {
    auto position = items_.end();
    if (sorted_) {
        // After any identical texts, so equal items keep the order they came in.
        position = std::upper_bound(items_.begin(), items_.end(), text,
                                    [](std::string_view value, const std::string& item) {
                                        return CompareItemText(value, item) < 0;
                                    });
    }
    const auto inserted = items_.insert(position, std::string(text));
    return static_cast<int>(inserted - items_.begin());
}

int ItemList::Insert(int index, std::string_view text) {
    if (index == -1) {
        index = Count();
    }
    if (index < 0 || index > Count()) {
        return -1;
    }
    items_.insert(items_.begin() + index, std::string(text));
    return index;
}

int ItemList::Delete(int index) {
    if (!Contains(index)) {
        return -1;
    }
    items_.erase(items_.begin() + index);
    return Count();
}

std::optional<std::string> ItemList::At(int index) const {
    if (!Contains(index)) {
        return std::nullopt;
    }
    return items_[static_cast<std::size_t>(index)];
}

int ItemList::FindExact(int start, std::string_view text) const {
    const int count = Count();
    if (count == 0) {
        return -1;
    }
    const int first = (start < 0 || start >= count) ? 0 : start + 1;
    for (int step = 0; step < count; ++step) {
        const int index = (first + step) % count;
        if (EqualIgnoringCase(items_[static_cast<std::size_t>(index)], text)) {
            return index;
        }
    }
    return -1;
}
