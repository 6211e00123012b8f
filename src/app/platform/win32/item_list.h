#pragma once
// The items of a list box or of a combo box's list, kept in insertion order or sorted.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win32 {

class ItemList {
public:
    explicit ItemList(bool sorted) : sorted_(sorted) {}

    bool IsSorted() const { return sorted_; }

    // Adds text where it belongs: at its place in the collation when sorted, else at the end.
    // Returns the item's index.
    int Add(std::string_view text);
    // Removes the item at index. Returns the number of items left, or -1 when there is no such
    // item.
    int Delete(int index);

    int Count() const { return static_cast<int>(items_.size()); }
    bool Contains(int index) const { return index >= 0 && index < Count(); }
    // The text of the item at index, or nothing when there is no such item.
    std::optional<std::string> At(int index) const;

private:
    bool sorted_;
    std::vector<std::string> items_;
};

}  // namespace win32
