#include "app/platform/win32/item_list.h"

#include <algorithm>

#include "app/platform/win32/item_collation.h"

namespace win32 {

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

}  // namespace win32
