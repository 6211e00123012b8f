#pragma once
// The items of a list box or of a combo box's list, kept in insertion order or sorted.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ItemList {
public:
    explicit ItemList(bool sorted) : sorted_(sorted) {}

    bool IsSorted() const { return sorted_; }

    // Adds text where it belongs: at its place in the collation when sorted, else at the end.
    // Returns the item's index.
    int Add(std::string_view text);
    // Inserts text at index (-1: at the end) without sorting, as LB_INSERTSTRING does.
    // Returns the index, or -1 when index is past the end.
    int Insert(int index, std::string_view text);
    // Removes the item at index. Returns the number of items left, or -1 when there is no such
    // item.
    int Delete(int index);
    void Clear() { items_.clear(); }

    int Count() const { return static_cast<int>(items_.size()); }
    bool Contains(int index) const { return index >= 0 && index < Count(); }
    // The text of the item at index, or nothing when there is no such item.
    std::optional<std::string> At(int index) const;
    // The index of the first item from start + 1 on (wrapping round) whose text equals text
    // without regard to ASCII letter case, or -1.
    int FindExact(int start, std::string_view text) const;

private:
    bool sorted_;
    std::vector<std::string> items_;
};
