#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/platform/win32/item_collation.h"
#include "app/platform/win32/item_list.h"

namespace {

std::vector<std::string> Sorted(std::vector<std::string> items) {
    std::sort(items.begin(), items.end(), win32::ItemTextLess{});
    return items;
}

TEST(ItemCollation, DigitRunsCompareAsNumbers) {
    EXPECT_LT(win32::CompareItemText("9_3", "10_2"), 0);
    EXPECT_LT(win32::CompareItemText("10_9", "10_10"), 0);
    EXPECT_LT(win32::CompareItemText("item2", "item10"), 0);
    EXPECT_GT(win32::CompareItemText("100", "99"), 0);
    // Longer than any integer type: still compared by value.
    EXPECT_LT(
        win32::CompareItemText("123456789012345678901234567890", "123456789012345678901234567891"),
        0);
    EXPECT_LT(win32::CompareItemText("x99999999999999999999", "x100000000000000000000"), 0);
}

TEST(ItemCollation, IgnoresLetterCaseButBreaksTiesByBytes) {
    EXPECT_LT(win32::CompareItemText("apple", "Banana"), 0);
    EXPECT_LT(win32::CompareItemText("Apple", "banana"), 0);
    // Equal but for case: a fixed order, whichever comes first.
    EXPECT_LT(win32::CompareItemText("Apple", "apple"), 0);
    EXPECT_GT(win32::CompareItemText("apple", "Apple"), 0);
    // Equal numbers with different leading zeros are still distinct.
    EXPECT_NE(win32::CompareItemText("007", "7"), 0);
    EXPECT_EQ(win32::CompareItemText("007", "7"), -win32::CompareItemText("7", "007"));
    EXPECT_EQ(win32::CompareItemText("East", "East"), 0);
}

TEST(ItemCollation, PrefixesAndEmptyTextsComeFirst) {
    EXPECT_LT(win32::CompareItemText("", "a"), 0);
    EXPECT_LT(win32::CompareItemText("East", "Eastern"), 0);
    EXPECT_LT(win32::CompareItemText("12", "12_1"), 0);
}

TEST(ItemCollation, OrderDoesNotDependOnInputOrder) {
    const std::vector<std::string> expected = {"1_1",  "1_2",   "2_10", "9_3", "10_2",
                                               "10_9", "10_10", "B",    "b",   "West"};
    std::vector<std::string> shuffled = {"10_10", "b",    "West", "9_3", "1_2",
                                         "B",     "10_2", "2_10", "1_1", "10_9"};
    EXPECT_EQ(Sorted(shuffled), expected);
    std::reverse(shuffled.begin(), shuffled.end());
    EXPECT_EQ(Sorted(shuffled), expected);
}

TEST(ItemList, SortedAddReturnsTheIndexWhereTheItemLands) {
    win32::ItemList list(true);
    EXPECT_EQ(list.Add("10_2"), 0);
    EXPECT_EQ(list.Add("9_3"), 0);
    EXPECT_EQ(list.Add("10_10"), 2);
    EXPECT_EQ(list.Add("10_9"), 2);
    EXPECT_EQ(list.Add("9_3"), 1);  // a repeat follows its equal
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(*list.At(0), "9_3");
    EXPECT_EQ(*list.At(2), "10_2");
    EXPECT_EQ(*list.At(4), "10_10");
}

TEST(ItemList, UnsortedKeepsTheOrderAdded) {
    win32::ItemList list(false);
    EXPECT_EQ(list.Add("b"), 0);
    EXPECT_EQ(list.Add("a"), 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(*list.At(0), "b");
}

TEST(ItemList, DeleteReportsItemsLeftOrError) {
    win32::ItemList list(true);
    list.Add("a");
    list.Add("b");
    EXPECT_EQ(list.Delete(2), -1);
    EXPECT_EQ(list.Delete(-1), -1);
    EXPECT_EQ(list.Delete(0), 1);
    EXPECT_EQ(*list.At(0), "b");
    EXPECT_EQ(list.Delete(0), 0);
    EXPECT_EQ(list.Delete(0), -1);
    EXPECT_FALSE(list.At(0).has_value());
}

}  // namespace
